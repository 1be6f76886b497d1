#include "app/Options.h"

#include "app/Logging.h"
#include "platform/UserFolders.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

namespace roteka {

namespace {

const QString AddressForm = QStringLiteral("[HOST:]PORT with a port from 1 to 65535");

// How an option's text becomes its value; the reason it cannot, when it cannot.
struct Setting {
    const char* name;
    std::function<QString(Options&, const QString&)> set;
};

QString setAddress(std::optional<ListenAddress>& address, const QString& name,
                   const QString& text) {
    address = parseListenAddress(text);
    return address ? QString()
                   : QStringLiteral("--%1 needs %2, not '%3'").arg(name, AddressForm, text);
}

const std::array<Setting, 5>& settings() {
    static const std::array<Setting, 5> table{{
        {"listen", [](Options& o, const QString& t) { return setAddress(o.listen, "listen", t); }},
        {"n1mm", [](Options& o, const QString& t) { return setAddress(o.n1mm, "n1mm", t); }},
        {"pst", [](Options& o, const QString& t) { return setAddress(o.pst, "pst", t); }},
        {"rotor-name",
         [](Options& o, const QString& t) {
             o.rotorName = t;
             return t.isEmpty() ? QStringLiteral("--rotor-name needs a name") : QString();
         }},
        {"trace",
         [](Options& o, const QString& t) {
             o.trace = t;
             return t.isEmpty() ? QStringLiteral("--trace needs a file name") : QString();
         }},
    }};
    return table;
}

bool isSet(const Options& o, const QString& name) {
    return name == u"listen"       ? o.listen.has_value()
           : name == u"n1mm"       ? o.n1mm.has_value()
           : name == u"pst"        ? o.pst.has_value()
           : name == u"rotor-name" ? o.rotorName.has_value()
                                   : o.trace.has_value();
}

const char* const ConfigExample = R"(
Configuration file: %1
The options that change what ROTEKA serves can also be set there, keys named like the
options; the command line wins over the file. For example:

  listen=4533
  n1mm=12040
  pst=0.0.0.0:12000
  rotor-name=ROTEKA
  trace=/tmp/roteka-trace.txt
)";

} // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text) {
    ListenAddress address{QStringLiteral("127.0.0.1"), 0};
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon >= 0) {
        address.host = text.left(colon);
        if (address.host.startsWith(u'[') && address.host.endsWith(u']'))
            address.host = address.host.mid(1, address.host.size() - 2);
        else if (address.host.contains(u':') || address.host.contains(u'[') ||
                 address.host.contains(u']'))
            return std::nullopt;
    }
    const QString port = text.mid(colon + 1);
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number < 1 || number > 65535 || !port.front().isDigit() || address.host.isEmpty())
        return std::nullopt;
    address.port = quint16(number);
    return address;
}

std::variant<Options, int> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns an antenna rotator through its controller on a serial port."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("listen"),
         QStringLiteral("Serve the rotator network protocol (as rotctld speaks it) on TCP "
                        "[HOST:]PORT; HOST is 127.0.0.1 unless given, an IPv6 address in "
                        "brackets."),
         QStringLiteral("[HOST:]PORT")},
        {QStringLiteral("n1mm"),
         QStringLiteral("Turn the antenna for the rotor packets of N1MM Logger+ and the programs "
                        "that send them, on UDP [HOST:]PORT (the loggers use 12040); status "
                        "goes back to port 13010 of the sender."),
         QStringLiteral("[HOST:]PORT")},
        {QStringLiteral("pst"),
         QStringLiteral("Turn the antenna for the PstRotator UDP control that loggers and SDR "
                        "programs send, on UDP [HOST:]PORT (they use 12000); answers go to the "
                        "sender's PORT + 1."),
         QStringLiteral("[HOST:]PORT")},
        {QStringLiteral("rotor-name"),
         QStringLiteral("Obey only the N1MM rotor packets for this rotor name (exact, case "
                        "counts), and report under it."),
         QStringLiteral("NAME")},
        {QStringLiteral("trace"),
         QStringLiteral("Append every byte sent to and received from the controller to FILE, a "
                        "line each: the time to the millisecond, TX or RX, and the bytes, "
                        "control characters escaped."),
         QStringLiteral("FILE")},
    });
    const auto fail = [](const QString& message) {
        std::fprintf(stderr, "roteka: %s\nTry 'roteka --help' for more information.\n",
                     qPrintable(message));
        return 2;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        const QString text =
            parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("roteka")) +
            QString::fromLatin1(ConfigExample).arg(QDir::toNativeSeparators(configFilePath()));
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::puts("roteka " ROTEKA_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    Options options;
    for (const Setting& setting : settings()) {
        const QString name = QString::fromLatin1(setting.name);
        if (!parser.isSet(name))
            continue;
        if (const QString problem = setting.set(options, parser.value(name)); !problem.isEmpty())
            return fail(problem);
    }
    return options;
}

QString configFilePath() {
    return userConfigDirectory() + QStringLiteral("/roteka.conf");
}

void addConfigFile(Options& options, const QString& path) {
    if (!QFileInfo::exists(path))
        return;
    QSettings file(path, QSettings::IniFormat);
    const auto problem = [&](const QString& text) {
        const QString said = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), text);
        options.problems.append(said);
        qCWarning(lcApp).noquote() << said;
    };
    if (file.status() != QSettings::NoError) {
        problem(QStringLiteral("the file cannot be read as key=value lines"));
        return;
    }
    const QStringList keys = file.childKeys();
    for (const QString& key : keys) {
        const auto setting =
            std::find_if(settings().begin(), settings().end(),
                         [&](const Setting& s) { return key == QLatin1String(s.name); });
        if (setting == settings().end()) {
            problem(QStringLiteral("%1: no such key").arg(key));
            continue;
        }
        if (isSet(options, key))
            continue;
        const QVariant value = file.value(key);
        const QString text = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(u',')
                                 : value.toString();
        Options read;
        if (const QString why = setting->set(read, text); !why.isEmpty()) {
            problem(QStringLiteral("%1: %2").arg(key, why.mid(why.indexOf(u' ') + 1)));
            continue;
        }
        setting->set(options, text);
    }
}

} // namespace roteka

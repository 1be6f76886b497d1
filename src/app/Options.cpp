#include "app/Options.h"

#include <QCommandLineParser>

#include <cstdio>

namespace roteka {

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
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral(
            "Serve the rotator network protocol (as rotctld speaks it) on [HOST:]PORT; HOST "
            "is 127.0.0.1 unless given, an IPv6 address in brackets. The protocol has no "
            "authentication: anyone who can reach the address can turn the antenna."),
        QStringLiteral("[HOST:]PORT"));
    parser.addOption(listen);
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append every byte sent to and received from the controller to FILE, a "
                       "line each: the time to the millisecond, TX or RX, and the bytes, control "
                       "characters escaped."),
        QStringLiteral("FILE"));
    parser.addOption(trace);
    const auto fail = [](const QString& message) {
        std::fprintf(stderr, "roteka: %s\nTry 'roteka --help' for more information.\n",
                     qPrintable(message));
        return 2;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText().replace(QLatin1String("<executable_name>"),
                                                        QLatin1String("roteka"))),
                   stdout);
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
    if (parser.isSet(listen)) {
        options.listen = parseListenAddress(parser.value(listen));
        if (!options.listen)
            return fail(
                QStringLiteral("--listen needs [HOST:]PORT with a port from 1 to 65535, not '%1'")
                    .arg(parser.value(listen)));
    }
    if (parser.isSet(trace)) {
        if (parser.value(trace).isEmpty())
            return fail(QStringLiteral("--trace needs a file name"));
        options.trace = parser.value(trace);
    }
    return options;
}

} // namespace roteka

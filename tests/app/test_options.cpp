// The program's options: the command line and the configuration file beside it.
#include "PtyPeer.h"
#include "Tables.h"

#include "app/Options.h"

using namespace roteka;
using namespace roteka::test;

namespace {

// The options set, as "name=value" in the order of the help, then the problems.
QString described(const Options& o) {
    const auto at = [](const std::optional<ListenAddress>& a) {
        return a ? a->host + ':' + QString::number(a->port) : QString();
    };
    const QStringList words{"listen=" + at(o.listen), "n1mm=" + at(o.n1mm), "pst=" + at(o.pst),
                            "rotor-name=" + o.rotorName.value_or(""),
                            "trace=" + o.trace.value_or("")};
    return (QStringList{words.filter(QRegularExpression("=.")).join(' ')} + o.problems).join(" | ");
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    // The command line first, then the file; a bad value or unknown key in the file names the file
    // and the key; the presets group is no options'.
    void options_data() {
        const QStringList none;
        const QString read = "listen=127.0.0.1:4533 n1mm=127.0.0.1:12040 pst=0.0.0.0:12000 "
                             "rotor-name=R trace=/tmp/t";
        const QString badPort =
            "pst=127.0.0.1:12000 | /roteka.conf: n1mm: needs [HOST:]PORT with a port from 1 to "
            "65535, not 'abc'";
        // clang-format off
        const QStringList all{"--listen", "4533", "--n1mm", "0.0.0.0:12040", "--pst", "12000",
                              "--rotor-name", "R 1", "--trace", "t"};
        table<QStringList, QByteArray, QString>({"arguments", "file", "options"}, {
            {"all", all, "", "listen=127.0.0.1:4533 n1mm=0.0.0.0:12040 pst=127.0.0.1:12000 rotor-name=R 1 trace=t"},
            {"IPv6, highest port", {"--n1mm", "[::1]:65535"}, "", "n1mm=::1:65535"},
            {"name, lowest port", {"--pst", "localhost:1"}, "", "pst=localhost:1"},
            {"port 0", {"--n1mm", "0"}, "", "exit 2"},
            {"past highest", {"--pst", "65536"}, "", "exit 2"},
            {"sign", {"--listen", "+1"}, "", "exit 2"},
            {"IPv6 bare", {"--listen", "::1:4533"}, "", "exit 2"},
            {"no port", {"--listen", "host:"}, "", "exit 2"},
            {"no host", {"--listen", ":4533"}, "", "exit 2"},
            {"empty trace", {"--trace", ""}, "", "exit 2"},
            {"every key", none, "listen=4533\nn1mm=12040\npst=0.0.0.0:12000\nrotor-name=R\ntrace=/tmp/t\n", read},
            {"command line wins", {"--n1mm", "5"}, "n1mm=abc\npst=12000\n", "n1mm=127.0.0.1:5 pst=127.0.0.1:12000"},
            {"bad port", none, "n1mm=abc\npst=12000\n", badPort},
            {"empty name", none, "rotor-name=\n", " | /roteka.conf: rotor-name: needs a name"},
            {"unknown key", none, "lisen=4533\n", " | /roteka.conf: lisen: no such key"},
            {"with a comma", none, "rotor-name=A,B\n", "rotor-name=A,B"},
            {"presets group", none, "pst=1\n[presets]\n1\\name=EU\nsize=1\n", "pst=127.0.0.1:1"},
        });
        // clang-format on
    }
    void options() {
        TestDirectory dir;
        dir.writeFile("roteka.conf", FETCHED(QByteArray, file));
        auto parsed = parseCommandLine(QStringList{"roteka"} + FETCHED(QStringList, arguments));
        Options* options = std::get_if<Options>(&parsed);
        if (options)
            addConfigFile(*options, dir.path() + "/roteka.conf");
        QString got =
            options ? described(*options) : "exit " + QString::number(std::get<int>(parsed));
        QCOMPARE(got.remove(QDir::toNativeSeparators(dir.path())), FETCHED(QString, options));
    }
};

QTEST_MAIN(OptionsTest)
#include "test_options.moc"

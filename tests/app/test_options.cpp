// The program's options: the command line and the configuration file beside it.
#include "PtyPeer.h"
#include "Tables.h"

#include "app/Options.h"

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

// The options set, as "name=value" words in the order of the help.
QString described(const Options& o) {
    const auto address = [](const std::optional<ListenAddress>& a) {
        return a ? a->host + ':' + QString::number(a->port) : QString();
    };
    QStringList words;
    for (const auto& [name, value] : {std::pair{"listen", address(o.listen)},
                                      {"n1mm", address(o.n1mm)},
                                      {"pst", address(o.pst)},
                                      {"rotor-name", o.rotorName.value_or(QString())},
                                      {"trace", o.trace.value_or(QString())}})
        if (!value.isEmpty())
            words << QString::fromLatin1(name) + '=' + value;
    return words.join(' ');
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    // The command line's options; a bad one exits with 2 (the message is the app test's).
    void commandLine_data() {
        const QString all =
            "listen=127.0.0.1:4533 n1mm=0.0.0.0:12040 pst=127.0.0.1:12000 rotor-name=R 1 trace=t";
        // clang-format off
        table<QStringList, QString>({"arguments", "options"}, {
            {"none", {}, ""},
            {"all", {"--listen", "4533", "--n1mm", "0.0.0.0:12040", "--pst", "12000", "--rotor-name", "R 1", "--trace", "t"}, all},
            {"IPv6, highest port", {"--n1mm", "[::1]:65535"}, "n1mm=::1:65535"},
            {"name, lowest port", {"--pst", "localhost:1"}, "pst=localhost:1"},
            {"port 0", {"--n1mm", "0"}, "exit 2"},
            {"past highest", {"--pst", "65536"}, "exit 2"},
            {"sign", {"--listen", "+1"}, "exit 2"},
            {"empty brackets", {"--listen", "[]:1"}, "exit 2"},
            {"unclosed bracket", {"--listen", "[::1:4533"}, "exit 2"},
            {"IPv6 bare", {"--listen", "::1:4533"}, "exit 2"},
            {"no port", {"--listen", "host:"}, "exit 2"},
            {"no host", {"--listen", ":4533"}, "exit 2"},
            {"letters after", {"--listen", "4533x"}, "exit 2"},
            {"empty rotor name", {"--rotor-name", ""}, "exit 2"},
            {"empty trace", {"--trace", ""}, "exit 2"},
        });
        // clang-format on
    }
    void commandLine() {
        const auto parsed =
            parseCommandLine(QStringList{"roteka"} + FETCHED(QStringList, arguments));
        const QString got = std::holds_alternative<int>(parsed)
                                ? QStringLiteral("exit %1").arg(std::get<int>(parsed))
                                : described(std::get<Options>(parsed));
        QCOMPARE(got, FETCHED(QString, options));
    }

    // The file's values for what the command line left unset; a bad value or an unknown key is a
    // problem naming the file and the key, and that service is not started; other groups (the
    // presets) are no keys of the options.
    void configFile_data() {
        const QStringList none, cli{"--n1mm", "5"};
        const QString form = "needs [HOST:]PORT with a port from 1 to 65535, not ";
        const QByteArray all =
            "listen=4533\nn1mm=12040\npst=0.0.0.0:12000\nrotor-name=R\ntrace=/tmp/t\n";
        const QString read = "listen=127.0.0.1:4533 n1mm=127.0.0.1:12040 pst=0.0.0.0:12000 "
                             "rotor-name=R trace=/tmp/t";
        // clang-format off
        table<QByteArray, QStringList, QString, QStringList>({"file", "arguments", "options", "problems"}, {
            {"no file", "<none>", none, "", none},
            {"every key", all, none, read, none},
            {"empty", "", none, "", none},
            {"command line wins", "n1mm=12040\npst=12000\n", cli, "n1mm=127.0.0.1:5 pst=127.0.0.1:12000", none},
            {"bad value overridden", "n1mm=abc\n", cli, "n1mm=127.0.0.1:5", none},
            {"bad port", "n1mm=abc\npst=12000\n", none, "pst=127.0.0.1:12000", {"n1mm: " + form + "'abc'"}},
            {"port 65536", "listen=65536\n", none, "", {"listen: " + form + "'65536'"}},
            {"empty name", "rotor-name=\n", none, "", {"rotor-name: needs a name"}},
            {"unknown key", "lisen=4533\n", none, "", {"lisen: no such key"}},
            {"quoted, with comma", "rotor-name=\"A,B\"\n", none, "rotor-name=A,B", none},
            {"presets group", "pst=1\n[presets]\n1\\name=EU\n1\\bearing=315\nsize=1\n", none, "pst=127.0.0.1:1", none},
        });
        // clang-format on
    }
    void configFile() {
        QFETCH(QByteArray, file);
        test::TestDirectory dir;
        if (file != "<none>")
            dir.writeFile("roteka.conf", file);
        const auto parsed =
            parseCommandLine(QStringList{"roteka"} + FETCHED(QStringList, arguments));
        Options options = std::get<Options>(parsed);
        addConfigFile(options, dir.path() + "/roteka.conf");
        QCOMPARE(described(options), FETCHED(QString, options));
        QStringList problems;
        for (const QString& problem : FETCHED(QStringList, problems))
            problems << QDir::toNativeSeparators(dir.path() + "/roteka.conf") + ": " + problem;
        QCOMPARE(options.problems, problems);
    }
};

QTEST_MAIN(OptionsTest)
#include "test_options.moc"

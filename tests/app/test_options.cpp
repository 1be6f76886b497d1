// The program's options: the command line and the configuration file beside it.
#include "PtyPeer.h"
#include "Tables.h"

#include "app/Options.h"

using namespace roteka;
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
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("options");
        QTest::newRow("none") << QStringList() << "";
        QTest::newRow("all") << QStringList{"--listen", "4533",  "--n1mm",       "0.0.0.0:12040",
                                            "--pst",    "12000", "--rotor-name", "Rotor 1",
                                            "--trace",  "t.txt"}
                             << "listen=127.0.0.1:4533 n1mm=0.0.0.0:12040 pst=127.0.0.1:12000 "
                                "rotor-name=Rotor 1 trace=t.txt";
        QTest::newRow("IPv6 for N1MM") << QStringList{"--n1mm", "[::1]:12040"} << "n1mm=::1:12040";
        QTest::newRow("N1MM port 0") << QStringList{"--n1mm", "0"} << "exit 2";
        QTest::newRow("PST port past 65535") << QStringList{"--pst", "65536"} << "exit 2";
        QTest::newRow("empty rotor name") << QStringList{"--rotor-name", ""} << "exit 2";
        QTest::newRow("empty trace") << QStringList{"--trace", ""} << "exit 2";
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
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("problems");
        const QStringList none, cli{"--n1mm", "5"};
        const QString form = "needs [HOST:]PORT with a port from 1 to 65535, not ";
        const QByteArray all = "listen=4533\nn1mm=12040\npst=0.0.0.0:12000\nrotor-name=R\ntrace=/tmp/t\n";
        // clang-format off
        QTest::newRow("no file") << "<none>"_ba << none << "" << none;
        QTest::newRow("empty") << ""_ba << none << "" << none;
        QTest::newRow("every key") << all << none << "listen=127.0.0.1:4533 n1mm=127.0.0.1:12040 pst=0.0.0.0:12000 rotor-name=R trace=/tmp/t" << none;
        QTest::newRow("command line wins") << "n1mm=12040\npst=12000\n"_ba << cli << "n1mm=127.0.0.1:5 pst=127.0.0.1:12000" << none;
        QTest::newRow("bad value overridden") << "n1mm=abc\n"_ba << cli << "n1mm=127.0.0.1:5" << none;
        QTest::newRow("bad port") << "n1mm=abc\npst=12000\n"_ba << none << "pst=127.0.0.1:12000" << QStringList{"n1mm: " + form + "'abc'"};
        QTest::newRow("port 65536") << "listen=65536\n"_ba << none << "" << QStringList{"listen: " + form + "'65536'"};
        QTest::newRow("empty name") << "rotor-name=\n"_ba << none << "" << QStringList{"rotor-name: needs a name"};
        QTest::newRow("unknown key") << "lisen=4533\n"_ba << none << "" << QStringList{"lisen: no such key"};
        QTest::newRow("quoted, with comma") << "rotor-name=\"A,B\"\n"_ba << none << "rotor-name=A,B" << none;
        QTest::newRow("presets group") << "pst=1\n[presets]\n1\\name=EU\n1\\bearing=315\nsize=1\n"_ba << none << "pst=127.0.0.1:1" << none;
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

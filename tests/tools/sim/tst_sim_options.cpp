#include "alias.h"
#include "options.h"

#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace roteka::sim;
namespace fs = std::filesystem;

namespace {
QString yesNo(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString describe(const Options& o) {
    return QStringLiteral("speed=%1 range=%2 start=%3 moving=%4 idle=%5 garbage=%6 split=%7 "
                          "reports=%8 log=%9 seed=%10 alias=%11 dir=%12 device=%13 baud=%14 "
                          "help=%15")
        .arg(o.speed)
        .arg(o.rangeEnd)
        .arg(o.start)
        .arg(o.movingIntervalMs)
        .arg(o.idleIntervalMs)
        .arg(yesNo(o.garbage))
        .arg(yesNo(o.split))
        .arg(yesNo(o.reports))
        .arg(yesNo(o.log))
        .arg(o.seed ? QString::number(*o.seed) : "-")
        .arg(o.alias ? QString::number(*o.alias) : "-")
        .arg(QString::fromStdString(o.aliasDir))
        .arg(QString::fromStdString(o.device))
        .arg(o.baud)
        .arg(yesNo(o.help));
}

const QString defaults = describe(Options{});

QString withDefaults(const QString& changes) {
    QStringList fields = defaults.split(' ');
    for (const QString& change : changes.split(' ', Qt::SkipEmptyParts)) {
        const QString key = change.section('=', 0, 0) + '=';
        for (QString& field : fields) {
            if (field.startsWith(key))
                field = change;
        }
    }
    return fields.join(' ');
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

// The command line of roteka-sim and the COM<N> alias symlink.
class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
    void aliasDirFollowsEnvironment_data();
    void aliasDirFollowsEnvironment();
    void aliasCreatesDirectoriesAndLink();
    void aliasReplacesAnOldSymlink();
    void aliasRefusesToReplaceOtherFiles_data();
    void aliasRefusesToReplaceOtherFiles();
    void aliasLeavesALinkThatNoLongerPointsAtUs();
};

void TestSimOptions::parses_data() {
    QTest::addColumn<QStringList>("args");
    // The resulting options (changes to the defaults), or the expected part of the error.
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("error");

    auto ok = [](const char* name, const QStringList& args, const QString& changes) {
        QTest::newRow(name) << args << withDefaults(changes) << QString();
    };
    auto bad = [](const char* name, const QStringList& args, const QString& error) {
        QTest::newRow(name) << args << QString() << error;
    };

    ok("defaults", {}, "");
    ok("speed", {"--speed", "100"}, "speed=100");
    ok("speed with =", {"--speed=2.5"}, "speed=2.5");
    ok("range 450 with start", {"--range", "450", "--start", "440"}, "range=450 start=440");
    ok("start before range", {"--start", "440", "--range", "450"}, "range=450 start=440");
    ok("start at range end", {"--start", "360"}, "start=360");
    ok("intervals", {"--moving-interval", "10", "--idle-interval=50"}, "moving=10 idle=50");
    ok("flags", {"--garbage", "--split", "--log", "--no-reports"},
       "garbage=true split=true log=true reports=false");
    ok("largest seed", {"--seed", "18446744073709551615"}, "seed=18446744073709551615");
    ok("alias", {"--alias", "7", "--alias-dir", "/tmp/x"}, "alias=7 dir=/tmp/x");
    ok("device and baud", {"--device", "/dev/ttyS0", "--baud", "19200"},
       "device=/dev/ttyS0 baud=19200");
    ok("later option wins", {"--speed", "1", "--speed", "2"}, "speed=2");
    ok("help", {"--help"}, "help=true");
    ok("help before a bad option", {"-h", "--bogus"}, "help=true");

    bad("unknown option", {"--bogus"}, "unknown option '--bogus'");
    bad("positional argument", {"COM3"}, "unexpected argument 'COM3'");
    bad("missing value", {"--speed"}, "--speed needs a value");
    bad("empty value", {"--speed="}, "--speed");
    bad("speed zero", {"--speed", "0"}, "--speed");
    bad("speed not a number", {"--speed", "fast"}, "--speed");
    bad("speed infinite", {"--speed", "inf"}, "--speed");
    bad("speed trailing text", {"--speed", "6deg"}, "--speed");
    bad("range 400", {"--range", "400"}, "--range");
    bad("start beyond 360", {"--start", "400"}, "outside the range 0-360");
    bad("start beyond 450", {"--range", "450", "--start", "451"}, "--start");
    bad("start negative", {"--start", "-1"}, "--start");
    bad("interval too short", {"--moving-interval", "5"}, "--moving-interval");
    bad("alias zero", {"--alias", "0"}, "--alias");
    bad("alias too big", {"--alias", "257"}, "--alias");
    bad("alias not a number", {"--alias", "COM3"}, "--alias");
    bad("negative seed", {"--seed", "-1"}, "--seed");
    bad("seed too big", {"--seed", "18446744073709551616"}, "--seed");
    bad("odd baud", {"--device", "/dev/ttyS0", "--baud", "12345"}, "--baud");
    bad("baud without device", {"--baud", "9600"}, "--baud only applies");
    bad("alias with device", {"--alias", "1", "--device", "/dev/ttyS0"}, "--device");
    bad("flag with value", {"--garbage=yes"}, "--garbage takes no value");
    bad("empty alias dir", {"--alias-dir="}, "--alias-dir");
}

void TestSimOptions::parses() {
    QFETCH(QStringList, args);
    QFETCH(QString, options);
    QFETCH(QString, error);

    std::vector<std::string> argv;
    for (const QString& arg : args)
        argv.push_back(arg.toStdString());
    const ParsedOptions parsed = parseOptions(argv);
    if (error.isEmpty()) {
        QVERIFY2(parsed.options, parsed.error.c_str());
        QCOMPARE(describe(*parsed.options), options);
    } else {
        QVERIFY(!parsed.options);
        QVERIFY2(QString::fromStdString(parsed.error).contains(error), parsed.error.c_str());
    }
}

void TestSimOptions::aliasDirFollowsEnvironment_data() {
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("dir");

    QTest::newRow("XDG_CONFIG_HOME")
        << QByteArray("/x/cfg") << QByteArray("/h") << "/x/cfg/roteka/ports";
    QTest::newRow("HOME") << QByteArray() << QByteArray("/h") << "/h/.config/roteka/ports";
    QTest::newRow("empty XDG_CONFIG_HOME")
        << QByteArray("") << QByteArray("/h") << "/h/.config/roteka/ports";
    QTest::newRow("relative XDG_CONFIG_HOME ignored")
        << QByteArray("cfg") << QByteArray("/h") << "/h/.config/roteka/ports";
    QTest::newRow("nothing known") << QByteArray() << QByteArray() << "";
}

void TestSimOptions::aliasDirFollowsEnvironment() {
    QFETCH(QByteArray, xdg);
    QFETCH(QByteArray, home);
    QFETCH(QString, dir);
    QCOMPARE(
        QString::fromStdString(aliasDirFromEnvironment(xdg.isNull() ? nullptr : xdg.constData(),
                                                       home.isNull() ? nullptr : home.constData())),
        dir);
}

void TestSimOptions::aliasCreatesDirectoriesAndLink() {
    QTemporaryDir temp;
    const fs::path dir = fs::path(temp.path().toStdString()) / "config" / "roteka" / "ports";
    {
        AliasLink alias;
        const auto result = alias.bind(dir.string(), 3, "/dev/pts/99");
        QCOMPARE(int(result.status), int(AliasLink::Status::Ok));
        QCOMPARE(QString::fromStdString(alias.path()),
                 QString::fromStdString((dir / "COM3").string()));
        QCOMPARE(fs::read_symlink(dir / "COM3"), fs::path("/dev/pts/99"));
    }
    QVERIFY(!fs::exists(fs::symlink_status(dir / "COM3")));
}

void TestSimOptions::aliasReplacesAnOldSymlink() {
    QTemporaryDir temp;
    const fs::path dir(temp.path().toStdString());
    fs::create_symlink("/dev/pts/1", dir / "COM4");

    AliasLink alias;
    QCOMPARE(int(alias.bind(dir.string(), 4, "/dev/pts/2").status), int(AliasLink::Status::Ok));
    QCOMPARE(fs::read_symlink(dir / "COM4"), fs::path("/dev/pts/2"));
    QCOMPARE(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    alias.release();
    QVERIFY(fs::is_empty(dir));
}

void TestSimOptions::aliasRefusesToReplaceOtherFiles_data() {
    QTest::addColumn<bool>("directory");
    QTest::newRow("regular file") << false;
    QTest::newRow("directory") << true;
}

void TestSimOptions::aliasRefusesToReplaceOtherFiles() {
    QFETCH(bool, directory);
    QTemporaryDir temp;
    const fs::path dir(temp.path().toStdString());
    if (directory)
        fs::create_directory(dir / "COM5");
    else
        std::ofstream(dir / "COM5") << "keep me";

    {
        AliasLink alias;
        const auto result = alias.bind(dir.string(), 5, "/dev/pts/3");
        QCOMPARE(int(result.status), int(AliasLink::Status::Conflict));
        QVERIFY2(result.message.find("not a symlink") != std::string::npos, result.message.c_str());
        QVERIFY(alias.path().empty());
    }
    QCOMPARE(fs::is_directory(dir / "COM5"), directory);
    if (!directory)
        QCOMPARE(slurp(dir / "COM5"), std::string("keep me"));
    QCOMPARE(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

void TestSimOptions::aliasLeavesALinkThatNoLongerPointsAtUs() {
    QTemporaryDir temp;
    const fs::path dir(temp.path().toStdString());
    AliasLink alias;
    QCOMPARE(int(alias.bind(dir.string(), 6, "/dev/pts/5").status), int(AliasLink::Status::Ok));
    fs::remove(dir / "COM6");
    fs::create_symlink("/dev/pts/8", dir / "COM6");

    alias.release();
    QCOMPARE(fs::read_symlink(dir / "COM6"), fs::path("/dev/pts/8"));
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_sim_options.moc"

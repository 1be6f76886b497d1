// The whole program's stories on a pseudo-terminal, and its command line.
#include "Stations.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#ifdef __SANITIZE_ADDRESS__
// Memory the address sanitizer holds back would read as growth.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
}
#endif

using namespace roteka;
using namespace roteka::test;

namespace {

// Line noise that never forms a reply (no "Z": lone "A"s, "=", digits, line ends, lower-case
// replies, NUL and 0xFF), then the i-th reply.
QByteArray noisyReply(QRandomGenerator& random, int i) {
    static constexpr char Alphabet[] = "AA==0123456789\r\n az=xX\0\xff";
    QByteArray bytes;
    for (int n = random.bounded(13); n > 0; --n)
        bytes.append(Alphabet[random.bounded(int(sizeof Alphabet - 1))]);
    return bytes + QStringLiteral("AZ=%1\r\n").arg(i % 359 + 1, 3, 10, QChar('0')).toLatin1();
}

qint64 residentBytes() {
    QFile statm("/proc/self/statm");
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

} // namespace

class AppTest : public QObject {
    Q_OBJECT
private slots:
    // The port opens and the first reply shows, or the report says why not: no such device, a
    // device held by another program.
    void startupOnAPseudoTerminal() {
        // clang-format off
        const QList<std::tuple<QByteArray, bool, bool>> table{
            {"7,9600,N,8,1:0\r\n", false, true},
            {"160,9600,N,8,1:4\r\n", false, false},
            {"7,9600,N,8,1:0\r\n", true, false},
        };
        // clang-format on
        for (const auto& [file, held, opens] : table) {
            BoundController link(7);
            link.dir.writeFile("ROTEKA.DAT", file);
            const int holder = ::open(qPrintable(link.controller->slavePath()), O_RDWR | O_NOCTTY);
            QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
            RealWindow w;
            w.control.startUp();
            QCOMPARE(w.messages.shown, opens ? QStringList() : QStringList{FailureReport});
            link.controller->write("AZ=123\r\n");
            QTRY_COMPARE(state(w.window, w.control),
                         opens ? "Port = True|切断|123|123|設定角度 ＝|" : "|接続|000||初期化中|");
            ::close(holder);
        }
    }

    // Started on the simulator, the program takes the first report; a click east on the map
    // turns the antenna until the azimuth and both pointers show east.
    void clickEastAndWatchTheAntennaTurn() {
        TestDirectory dir;
        Simulator sim(dir, 6, {"--speed", "90", "--moving-interval", "50", "--start", "300"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "6,9600,N,8,1:0\r\n");
        RealWindow w;
        w.program->start();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QTRY_COMPARE_WITH_TIMEOUT(state(w.window, w.control),
                                  "Port = True|切断|300|300|設定角度 ＝|", 10000);
        PictureBox* map = part<PictureBox>(w.window, "mapBox");
        QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(200, 102));
        QCOMPARE(w.control.commandedAngle(), "90");
        QVERIFY(sim.received("M090"));
        QTRY_COMPARE_WITH_TIMEOUT(state(w.window, w.control), "Port = True|切断|90|90|設定角度 ＝|",
                                  30000);
        // The blue azimuth pointer runs east to 80 pixels over the longer green target; nothing
        // is left of the pointer toward 300 degrees.
        const QImage& image = map->persistentImage();
        const QColor blue(0, 0, 255);
        QCOMPARE(image.pixelColor(140, 100), blue);
        QCOMPARE(image.pixelColor(178, 100), blue);
        QCOMPARE(image.pixelColor(184, 100), QColor(0, 192, 0));
        QVERIFY(image.pixelColor(48, 70) != blue);
        QCOMPARE(w.messages.shown, QStringList());
    }

    // A million replies with noise between them, split anywhere by the line: every one is shown,
    // in order, and resident memory stays flat.
    void noisySoak() {
        constexpr int WarmUp = 50000, Replies = 1000000, Chunk = 200;
        PtyStation link(4);
        link.window.show();
        int shown = 0, wrong = 0;
        connect(&link.control, &RotatorControl::azimuthChanged, this, [&](const QString& azimuth) {
            wrong += azimuth != QString::number(shown++ % 359 + 1);
        });
        QRandomGenerator random(20261206);
        qint64 before = 0;
        for (int i = 0; i < WarmUp + Replies; i += Chunk) {
            QByteArray bytes;
            for (int j = i; j < i + Chunk; ++j)
                bytes += noisyReply(random, j);
            link.controller->write(bytes); // at most 4 KB: what the line holds
            QVERIFY(waitFor([&] { return shown >= i + Chunk; }, 60000)); // slow under the sanitizers
            before = i == WarmUp ? residentBytes() : before;
        }
        const qint64 growth = residentBytes() - before;
        QCOMPARE(shown, 1050000);
        QCOMPARE(wrong, 0);
        QCOMPARE_LT(growth, 2 << 20); // bytes
        QVERIFY(link.control.receiveBuffer().size() < 6);
        QCOMPARE(part<QLabel>(link.window, "azimuthLabel")->text(), "284");
    }

    // --help, --version; a bad command line exits with 2 and a message, before any window.
    void commandLine() {
        // clang-format off
        const QList<std::tuple<QStringList, int, QByteArray>> runs{
            {{"--help"}, 0, "--listen <[HOST:]PORT>"},
            {{"--version"}, 0, "roteka " ROTEKA_VERSION "\n"},
            {{"--bogus"}, 2, "roteka: Unknown option 'bogus'."},
            {{"--listen", "0"}, 2, "--listen needs [HOST:]PORT with a port from 1 to 65535, not '0'"},
            {{"map.png"}, 2, "unexpected argument 'map.png'"},
        };
        const QList<std::pair<QString, QString>> addresses{
            {"4533", "127.0.0.1 4533"},
            {"0.0.0.0:1", "0.0.0.0 1"},
            {"[::1]:65535", "::1 65535"},
            {"localhost:80", "localhost 80"},
            {"65536", ""},
            {"+1", ""},
            {"[]:1", ""},
            {"[::1:4533", ""},
            {"::1:4533", ""},
            {"host:", ""},
            {":4533", ""},
            {"4533x", ""},
        };
        // clang-format on
        for (const auto& [arguments, status, output] : runs) {
            QProcess roteka;
            roteka.start(ROTEKA_PATH, arguments);
            QVERIFY(roteka.waitForFinished(5000) && roteka.exitCode() == status);
            const QByteArray printed =
                status ? roteka.readAllStandardError() : roteka.readAllStandardOutput();
            QVERIFY2(printed.contains(output), output);
        }
        for (const auto& [text, address] : addresses) {
            const auto a = parseListenAddress(text);
            QCOMPARE(a ? a->host + ' ' + QString::number(a->port) : "", address);
        }
    }
};

QTEST_MAIN(AppTest)
#include "test_app.moc"

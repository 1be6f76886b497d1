// The whole program's stories on a pseudo-terminal, and its command line.
#include "LogRecorder.h"
#include "Stations.h"

#include "ui/MapDialogs.h"

#include <QMenu>
#include <QSpinBox>

#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

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
    // A device another program holds: the report says the port did not open, the window waits.
    void startupOnAHeldPort() {
        BoundController link(7);
        link.writeSettings();
        const int holder = ::open(qPrintable(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
        RealWindow w;
        LogRecorder log;
        w.control.startUp();
        QCOMPARE(w.messages.shown, QStringList{FailureReport});
        QCOMPARE(log.containing("roteka.control: start-up failed: COM7").size(), 1);
        QCOMPARE(state(w.window, w.link), "|接続|000||初期化中|");
        ::close(holder);
    }

    // A million replies with noise between them, split anywhere by the line: every one is shown,
    // in order, and resident memory stays flat.
    void noisySoak() {
        constexpr int WarmUp = 50000, Replies = 1000000, Chunk = 200;
        PtyStation link(4);
        link.window.show();
        int shown = 0, wrong = 0;
        connect(&link.control, &OperatorControl::azimuthChanged, this,
                [&] { wrong += link.control.azimuth() != shown++ % 359 + 1; });
        QRandomGenerator random(20261206);
        qint64 before = 0;
        for (int i = 0; i < WarmUp + Replies; i += Chunk) {
            QByteArray bytes;
            for (int j = i; j < i + Chunk; ++j)
                bytes += noisyReply(random, j);
            link.controller->write(bytes); // at most 4 KB: what the line holds
            QVERIFY(
                waitFor([&] { return shown >= i + Chunk; }, 60000)); // slow under the sanitizers
            before = i == WarmUp ? residentBytes() : before;
        }
        QCOMPARE(wrong, 0);
        QCOMPARE_LT(residentBytes() - before, 2 << 20); // bytes
        QVERIFY(link.link.receiveBuffer().size() < 6);
        QCOMPARE(part<QLabel>(link.window, "azimuthLabel")->text(), "284");
    }

    // --help (with the configuration file's example), --version; a bad command line exits with 2
    // and a message, before any window.
    void commandLine_data() {
        // clang-format off
        table<QStringList, int, QByteArray>({"arguments", "status", "printed"}, {
            {"help", {"--help"}, 0, "--pst <[HOST:]PORT>"},
            {"help: the file", {"--help"}, 0, "/roteka/roteka.conf\nThe options that change"},
            {"version", {"--version"}, 0, "roteka " ROTEKA_VERSION "\n"},
            {"unknown", {"--bogus"}, 2, "roteka: Unknown option 'bogus'."},
            {"port 0", {"--listen", "0"}, 2, "--listen needs [HOST:]PORT with a port from 1 to 65535, not '0'"},
            {"argument", {"map.png"}, 2, "unexpected argument 'map.png'"},
        });
        // clang-format on
    }
    void commandLine() {
        QFETCH(int, status);
        QProcess roteka;
        roteka.start(ROTEKA_PATH, FETCHED(QStringList, arguments));
        QVERIFY(roteka.waitForFinished(5000));
        QCOMPARE(roteka.exitCode(), status);
        const QByteArray printed =
            status ? roteka.readAllStandardError() : roteka.readAllStandardOutput();
        QVERIFY2(printed.contains(FETCHED(QByteArray, printed)), printed);
    }

    // On the simulator: turns over UDP and TCP, the logger's status and answer, every byte in the
    // trace; a trace that cannot be written is said on stderr.
    void servicesAndTrace() {
        TestDirectory dir;
        Simulator sim(dir, 9, {"--speed", "150", "--moving-interval", "20", "--start", "100"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "9,9600,N,8,1:0\r\n");
        dir.writeFile("trace.txt", "before\n");
        QUdpSocket status, answers, sender;
        QVERIFY(status.bind(QHostAddress::LocalHost, 13010,
                            QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        quint16 n1mm = 0, pst = 0;
        for (QUdpSocket probe; !pst || !answers.bind(QHostAddress::LocalHost, pst + 1);
             probe.close()) {
            probe.bind(QHostAddress::LocalHost, 0);
            (n1mm ? pst : n1mm) = probe.localPort();
        }
        const quint16 port = freeTcpPort();
        QProcess roteka;
        roteka.start(ROTEKA_PATH, {"--n1mm", QString::number(n1mm), "--pst", QString::number(pst),
                                   "--rotor-name", "MAIN", "--listen", QString::number(port),
                                   "--trace", "trace.txt"});
        const auto reply = [&](QUdpSocket& socket) {
            waitFor([&] { return socket.hasPendingDatagrams(); });
            return socket.receiveDatagram().data();
        };
        const QByteArray turn = "<N1MMRotor><rotor>MAIN</rotor><goazi>120.0</goazi></N1MMRotor>";
        QVERIFY(waitFor(
            [&] {
                sender.writeDatagram(turn, QHostAddress::LocalHost, n1mm);
                return sim.received("M120", 200);
            },
            20000));
        QVERIFY(reply(status).startsWith("MAIN @ "));
        sender.writeDatagram("<PST><STOP>1</STOP></PST>", QHostAddress::LocalHost, pst);
        QVERIFY(sim.received("A"));
        sender.writeDatagram("<PST>AZ?</PST>", QHostAddress::LocalHost, pst);
        QVERIFY(reply(answers).startsWith("AZ:"));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        client.write("P 20 0\n");
        QVERIFY(sim.received("M020"));
        QVERIFY(waitFor([&] { return dir.readFile("trace.txt").contains(" RX AZ=020"); }, 20000));
        roteka.terminate();
        QVERIFY(roteka.waitForFinished(5000));
        const QString trace = QString::fromLatin1(dir.readFile("trace.txt"));
        const QString stamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )";
        const QRegularExpression lines("^before\n(" + stamp + R"((TX|RX) \S.*\n)+$)");
        QVERIFY2(lines.match(trace).hasMatch(), qPrintable(trace));
        QCOMPARE(trace.count(QRegularExpression(stamp + R"(TX M020\\r\\n\n)")), 1);
        QProcess refused;
        refused.start(ROTEKA_PATH, {"--trace", dir.path() + "/no/such/dir/trace.txt"});
        QVERIFY(waitFor(
            [&] { return refused.readAllStandardError().contains("cannot write the trace"); }));
        refused.terminate();
        QVERIFY(refused.waitForFinished(5000));
    }

    // On the simulator: a preset registered through the map's menu sends nothing, a click east
    // turns the antenna and both pointers there; after a restart Ctrl+1 turns to the preset.
    void mapClickAndPresetOverARestart() {
        TestDirectory dir;
        Simulator sim(dir, 6, {"--speed", "90", "--moving-interval", "50", "--start", "300"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "6,9600,N,8,1:0\r\n");
        {
            RealWindow w;
            w.program->start();
            QVERIFY(QTest::qWaitForWindowActive(&w.window));
            QTRY_COMPARE_WITH_TIMEOUT(state(w.window, w.link),
                                      "Port = True|切断|300|300|設定角度 ＝|", 10000);
            whenOpen<QMenu>([](QMenu* menu) {
                for (QAction* action : menu->actions().last()->menu()->actions())
                    if (action->text() == "この方向をプリセットに登録...")
                        action->trigger();
                menu->close();
            });
            whenOpen<PresetDialog>([](PresetDialog* dialog) {
                part<QLineEdit>(*dialog, "名前")->setText("DX");
                part<QSpinBox>(*dialog, "方位")->setValue(200);
                part<QPushButton>(*dialog, "登録")->click();
            });
            PictureBox* map = part<PictureBox>(w.window, "mapBox");
            QTest::mouseClick(w.window.windowHandle(), Qt::RightButton, {},
                              map->mapTo(&w.window, QPoint(100, 20)));
            QVERIFY(waitFor([&] { return w.program->presets.all().size() == 1; }));
            QCOMPARE(sim.output().count("\nRX "), 0);
            QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(200, 102));
            QCOMPARE(commandedAngleText(w.control.commandedAngle()), "90");
            QVERIFY(sim.received("M090"));
            QTRY_COMPARE_WITH_TIMEOUT(state(w.window, w.link),
                                      "Port = True|切断|90|90|設定角度 ＝|", 30000);
            // The blue azimuth pointer stops short of the green target; none is left toward 300.
            const QImage& image = map->persistentImage();
            QCOMPARE(image.pixelColor(178, 100), QColor(0, 0, 255));
            QCOMPARE(image.pixelColor(184, 100), QColor(0, 192, 0));
            QVERIFY(image.pixelColor(48, 70) != QColor(0, 0, 255));
            QCOMPARE(w.messages.shown, QStringList());
        }
        RealWindow again;
        again.program->start();
        QVERIFY(QTest::qWaitForWindowActive(&again.window));
        QTest::keySequence(again.window.windowHandle(), QKeySequence(Qt::CTRL | Qt::Key_1));
        QVERIFY(sim.received("M200"));
        QCOMPARE(again.messages.shown, QStringList());
    }
};

QTEST_MAIN(AppTest)
#include "test_app.moc"

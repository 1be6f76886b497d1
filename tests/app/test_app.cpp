// The whole program's stories on a pseudo-terminal, and its command line.
#include "LogRecorder.h"
#include "Stations.h"

#include "ui/MapDialogs.h"

#include <QMenu>
#include <QSpinBox>

#include <QNetworkDatagram>
#include <QTcpServer>
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
using namespace Qt::StringLiterals;

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
    void startupOnAPseudoTerminal_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("opens");
        QTest::newRow("free") << "7,9600,N,8,1:0\r\n"_ba << false << true;
        QTest::newRow("no such device") << "160,9600,N,8,1:4\r\n"_ba << false << false;
        QTest::newRow("held by another") << "7,9600,N,8,1:0\r\n"_ba << true << false;
    }
    void startupOnAPseudoTerminal() {
        QFETCH(bool, opens);
        BoundController link(7);
        link.dir.writeFile("ROTEKA.DAT", FETCHED(QByteArray, file));
        const int holder = ::open(qPrintable(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QVERIFY(!FETCHED(bool, held) || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
        RealWindow w;
        LogRecorder log;
        w.control.startUp();
        QCOMPARE(w.messages.shown, opens ? QStringList() : QStringList{FailureReport});
        QCOMPARE(log.containing("roteka.control: start-up failed: COM").size(), int(!opens));
        link.controller->write("AZ=123\r\n");
        QTRY_COMPARE(state(w.window, w.link),
                     opens ? "Port = True|切断|123|123|設定角度 ＝|" : "|接続|000||初期化中|");
        ::close(holder);
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
        QTRY_COMPARE_WITH_TIMEOUT(state(w.window, w.link), "Port = True|切断|300|300|設定角度 ＝|",
                                  10000);
        PictureBox* map = part<PictureBox>(w.window, "mapBox");
        QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(200, 102));
        QCOMPARE(commandedAngleText(w.control.commandedAngle()), "90");
        QVERIFY(sim.received("M090"));
        QTRY_COMPARE_WITH_TIMEOUT(state(w.window, w.link), "Port = True|切断|90|90|設定角度 ＝|",
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
        const qint64 growth = residentBytes() - before;
        QCOMPARE(shown, 1050000);
        QCOMPARE(wrong, 0);
        QCOMPARE_LT(growth, 2 << 20); // bytes
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

    // With --trace, every byte to and from the controller is appended to the file, a line a write
    // or a read, time-stamped; a trace that cannot be written is said on stderr and the program
    // runs without it.
    void trace() {
        TestDirectory dir;
        Simulator sim(dir, 5, {"--speed", "150", "--moving-interval", "20", "--start", "10"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "5,9600,N,8,1:0\r\n");
        dir.writeFile("trace.txt", "before\n");
        const quint16 port = freeTcpPort();
        QProcess roteka;
        roteka.start(ROTEKA_PATH, {"--trace", "trace.txt", "--listen", QString::number(port)});
        QTcpSocket client;
        QVERIFY(waitFor([&] {
            if (client.state() == QAbstractSocket::UnconnectedState)
                client.connectToHost(QHostAddress::LocalHost, port);
            return client.state() == QAbstractSocket::ConnectedState;
        }));
        client.write("P 20 0\n");
        QVERIFY(sim.received("M020"));
        QVERIFY(waitFor([&] { return dir.readFile("trace.txt").contains(" RX AZ=020"); }, 20000));
        roteka.terminate();
        QVERIFY(roteka.waitForFinished(5000));
        const QList<QByteArray> lines = dir.readFile("trace.txt").split('\n');
        QCOMPARE(lines.first(), "before");
        const QRegularExpression form(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (TX|RX) \S.*$)");
        for (const QByteArray& line : lines.mid(1, lines.size() - 2))
            QVERIFY2(form.match(QString::fromLatin1(line)).hasMatch(), line);
        QCOMPARE(
            std::count_if(lines.cbegin(), lines.cend(),
                          [](const QByteArray& line) { return line.endsWith(" TX M020\\r\\n"); }),
            1);
        QCOMPARE(lines.last(), "");
        QProcess refused;
        refused.start(ROTEKA_PATH, {"--trace", dir.path() + "/no/such/dir/trace.txt"});
        QVERIFY(waitFor(
            [&] { return refused.readAllStandardError().contains("cannot write the trace"); }));
        refused.terminate();
        QVERIFY(refused.waitForFinished(5000));
    }

    // A logger and an SDR program on this computer: roteka-sim, --n1mm and --pst together; the
    // logger turns the antenna and gets its status, the other program stops it and asks where
    // it points.
    void loggersOverUdp() {
        TestDirectory dir;
        Simulator sim(dir, 9, {"--speed", "150", "--moving-interval", "20", "--start", "100"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "9,9600,N,8,1:0\r\n");
        QUdpSocket status, answers, sender;
        QVERIFY(status.bind(QHostAddress::LocalHost, 13010,
                            QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        quint16 n1mm = 0, pst = 0;
        for (QUdpSocket probe; !pst || !answers.bind(QHostAddress::LocalHost, pst + 1);
             probe.close()) {
            probe.bind(QHostAddress::LocalHost, 0);
            (n1mm ? pst : n1mm) = probe.localPort();
        }
        QProcess roteka;
        roteka.start(ROTEKA_PATH, {"--n1mm", QString::number(n1mm), "--pst", QString::number(pst),
                                   "--rotor-name", "MAIN"});
        const auto datagrams = [](QUdpSocket& socket, int ms) {
            QByteArray got;
            waitFor([&] { return socket.hasPendingDatagrams() || got.size(); }, ms);
            while (socket.hasPendingDatagrams())
                got += socket.receiveDatagram().data() + '|';
            return got;
        };
        const QByteArray turn = "<N1MMRotor><rotor>MAIN</rotor><goazi>120.0</goazi></N1MMRotor>";
        QVERIFY(waitFor(
            [&] {
                sender.writeDatagram(turn, QHostAddress::LocalHost, n1mm);
                return sim.received("M120", 200);
            },
            20000));
        QVERIFY(datagrams(status, 3000).startsWith("MAIN @ "));
        QVERIFY(waitFor([&] { return datagrams(status, 500).contains("MAIN @ 1200|"); }, 20000));
        sender.writeDatagram("<PST><STOP>1</STOP></PST>", QHostAddress::LocalHost, pst);
        QVERIFY(sim.received("A"));
        sender.writeDatagram("<PST>AZ?</PST>", QHostAddress::LocalHost, pst);
        QCOMPARE(datagrams(answers, 3000), "AZ:120\r|");
        roteka.terminate();
        QVERIFY(roteka.waitForFinished(5000));
    }

    // A preset registered through the map's menu stays over a restart, and Ctrl+1 then turns the
    // antenna to it.
    void presetOverARestart() {
        TestDirectory dir;
        Simulator sim(dir, 10, {"--speed", "150", "--moving-interval", "20", "--start", "30"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "10,9600,N,8,1:0\r\n");
        {
            RealWindow w;
            w.program->start();
            QVERIFY(QTest::qWaitForWindowActive(&w.window));
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
            QWidget* map = part<PictureBox>(w.window, "mapBox");
            QTest::mouseClick(w.window.windowHandle(), Qt::RightButton, {},
                              map->mapTo(&w.window, QPoint(100, 20)));
            QVERIFY(waitFor([&] { return w.program->presets.all().size() == 1; }));
            QCOMPARE(sim.output().count("\nRX "), 0); // nothing sent
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

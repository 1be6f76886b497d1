// The serial services on Linux, down to the real port on a pseudo-terminal.
#include "Stations.h"

#include "platform/PortNames.h"

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    // Port number to device and back (0: none); alias names. An alias wins over the table; one
    // pointing nowhere still names its port (the open fails rather than reach another device) and
    // is not listed. The alias directory follows XDG_CONFIG_HOME.
    void portNames() {
        // clang-format off
        for (const auto& [n, device] : QList<std::pair<int, QString>>{
                 {1, "/dev/ttyS0"},
                 {32, "/dev/ttyS31"},
                 {33, "/dev/ttyUSB0"},
                 {64, "/dev/ttyUSB31"},
                 {65, "/dev/ttyACM0"},
                 {96, "/dev/ttyACM31"},
                 {97, "/dev/ttyAMA0"},
                 {128, "/dev/ttyAMA31"},
                 {129, "/dev/rfcomm0"},
                 {160, "/dev/rfcomm31"},
                 {161, ""},
                 {0, ""},
             }) {
            QCOMPARE(devicePathForPort(n, "/none"), device);
            QCOMPARE(tablePortNumber(device).value_or(0), device.isEmpty() ? 0 : n);
        }
        for (const char* other : {"/dev/ttyUSB32", "/dev/ttyUSB01", "/dev/pts/3", "/dev/ttyS", "/dev/ttyS+1"})
            QVERIFY2(!tablePortNumber(other), other);
        QCOMPARE(aliasPortNumber(u"COM1").value_or(0) + aliasPortNumber(u"COM32767").value_or(0), 32768);
        const QString names = "COM32768 COM0 COM05 COM com5 COM5x COM+5 xCOM5 COM\u0665 COM\uFF15";
        for (const QString& no : names.split(' '))
            QVERIFY2(!aliasPortNumber(no), qPrintable(no));
        // clang-format on
        TestDirectory dir;
        const QString ports = dir.aliasDir();
        PtyPeer first(ports, 41), second(ports, 7);
        QVERIFY(QFile::link("/dev/nothing-here", ports + "/COM9"));
        QVERIFY(QFile::link(first.slavePath(), ports + "/notaport"));
        dir.writeFile("config/roteka/ports/COM8", "not a link");
        QCOMPARE(devicePathForPort(9, ports) + devicePathForPort(6, ports),
                 ports + "/COM9/dev/ttyS5");
        const QString listed = QtDeviceCatalogue().serialDeviceNames().join('|');
        const QString pts =
            second.slavePath().section('/', -1) + " (COM7)|" + first.slavePath().section('/', -1);
        QVERIFY2(listed.endsWith(pts + " (COM41)"), qPrintable(listed));
        QtSerialPort port;
        port.setPortNumber(9);
        QVERIFY_THROWS_EXCEPTION(PlatformError, port.open());
        port.setPortNumber(7);
        port.setLineSettings("4800,N,8,2");
        port.open();
        termios line{};
        ::tcgetattr(second.slave(), &line);
        QVERIFY(port.isOpen() && ::cfgetospeed(&line) == B4800 && (line.c_cflag & CSTOPB));
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(aliasDirectory(), QDir::homePath() + "/.config/roteka/ports");
    }

    // Baud, parity, data bits, stop bits; none when refused.
    void lineSettings() {
        // clang-format off
        for (const auto& [text, fields] : QList<std::pair<QString, QString>>{
                 {"9600,N,8,1", "9600 N 8 1"},
                 {"4800,E,7,2", "4800 E 7 2"},
                 {"110,O,5,1.5", "110 O 5 1.5"},
                 {"19200,m,6,1", "19200 M 6 1"},
                 {" 115200 , S , 8 , 1 ", "115200 S 8 1"},
                 {"9600,N,8", ""},
                 {"9600,N,8,1,1", ""},
                 {"9600,X,8,1", ""},
                 {"9600,N,9,1", ""},
                 {"9600,N,4,1", ""},
                 {"9600,N,8,3", ""},
                 {"fast,N,8,1", ""},
                 {"0,N,8,1", ""},
                 {"-9600,N,8,1", ""},
                 {"+9600,N,8,1", ""},
                 {"99999999999,N,8,1", ""},
             }) {
            // clang-format on
            const auto s = parseLineSettings(text);
            const QString got = s ? QStringLiteral("%1 %2 %3 %4")
                                        .arg(s->baudRate)
                                        .arg("NEOMS"[int(s->parity)])
                                        .arg(s->dataBits)
                                        .arg(QStringList{"1", "1.5", "2"}[int(s->stopBits)])
                                  : "";
            QVERIFY2(got == fields, qPrintable(text));
        }
    }

    // On a real line: a free command leaves as typed, in UTF-8, ended by CR LF; connecting while
    // another program holds the device offers "disconnect" but the status line tells the port
    // stayed closed; replies sent while disconnected are not shown once connected again.
    void aRealLine() {
        PtyStation link(11);
        OperatorControl& c = link.control;
        c.sendCommand(QStringLiteral("方位M090"));
        QCOMPARE(link.controller->readUntil(12, 2000), "\xE6\x96\xB9\xE4\xBD\x8DM090\r\n");
        c.toggleConnection();
        QCOMPARE(state(c, link.link), "Port を切断しました。False|接続|000||初期化中|");
        link.controller->write("AZ=010\r\n");
        const int held = ::open(QFile::encodeName(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QVERIFY(::flock(held, LOCK_EX | LOCK_NB) == 0);
        c.toggleConnection();
        QCOMPARE(state(c, link.link), "Port = False|切断|000||初期化中|");
        ::close(held);
        c.stop();
        c.toggleConnection();
        link.controller->write("AZ=042\r\n");
        QTRY_COMPARE(state(c, link.link), "Port = True|切断|42|42|設定角度 ＝|");
    }

    // The device goes away while open, mid-reply: the port is reported closed at once; connect
    // without a device fails; once a device is back, connect brings replies back.
    void deviceGoesAwayAndComesBack() {
        PtyStation link(13);
        OperatorControl& c = link.control;
        link.controller->write("AZ=100\r\nAZ=0");
        QTRY_COMPARE(c.azimuth(), std::optional(100));
        link.controller->hangUp();
        QTRY_COMPARE(state(c, link.link), "port = False|接続|100|100|設定角度 ＝|AZ=0");
        link.controller.reset();
        c.toggleConnection();
        QCOMPARE(state(c, link.link), "Port = False|切断|100|100|設定角度 ＝|AZ=0");
        link.controller = std::make_unique<PtyPeer>(link.dir.aliasDir(), 13);
        c.stop();
        c.toggleConnection();
        link.controller->write("AZ=200\r\n");
        QTRY_COMPARE(state(c, link.link), "Port = True|切断|200|100|設定角度 ＝|");
        c.turnLeft();
        QCOMPARE(link.controller->readUntil(3, 2000), "L\r\n");
        link.controller->hangUp(); // a command written before the hang-up is read fails
        c.turnRight();
        QCOMPARE(state(c, link.link), "port = False|接続|200|176|設定角度 ＝|");
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"

// The serial services on Linux, down to the real port on a pseudo-terminal.
#include "Stations.h"

#include "platform/PortNames.h"

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

namespace {

// The alias directory of a test directory: COM41 and COM7 bound to pseudo-terminals, COM9 pointing
// nowhere, COM8 a file rather than a link, and a link with a name that is no port's.
struct AliasedPorts {
    AliasedPorts() {
        QFile::link("/dev/nothing-here", ports + "/COM9");
        QFile::link(first.slavePath(), ports + "/notaport");
        dir.writeFile("config/roteka/ports/COM8", "not a link");
    }
    TestDirectory dir;
    QString ports = dir.aliasDir();
    PtyPeer first{ports, 41}, second{ports, 7};
};

// What the window shows of the control, field by field.
struct Shown {
    QString status;
    QString button;    // 接続 connect, 切断 disconnect
    QString azimuth;   // as reported
    QString commanded; // the angle last sent
    QString caption; // before the commanded angle: 初期化中 until a first value, then 設定角度 ＝
    QString received; // the receive buffer
    bool operator==(const Shown&) const = default;
};
const QString Connect = "接続", Disconnect = "切断", Starting = "初期化中", Set = "設定角度 ＝";

Shown shown(const PtyStation& s) {
    const OperatorControl& c = s.control;
    return {c.statusLine(),
            c.offersConnect() ? Connect : Disconnect,
            azimuthText(c.azimuth()),
            commandedAngleText(c.commandedAngle()),
            c.waitingFirstValue() ? Starting : Set,
            s.link.receiveBuffer()};
}

char* toString(const Shown& s) {
    return qstrdup(
        QStringLiteral("status \"%1\", button %2, azimuth \"%3\", %5 \"%4\", received \"%6\"")
            .arg(s.status, s.button, s.azimuth, s.commanded, s.caption, s.received)
            .toUtf8());
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    // Port number to the table's device and back; 0 and numbers past the table name nothing.
    void portTable_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        // clang-format off
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM32") << 32 << "/dev/ttyS31";
        QTest::newRow("COM33") << 33 << "/dev/ttyUSB0";
        QTest::newRow("COM64") << 64 << "/dev/ttyUSB31";
        QTest::newRow("COM65") << 65 << "/dev/ttyACM0";
        QTest::newRow("COM96") << 96 << "/dev/ttyACM31";
        QTest::newRow("COM97") << 97 << "/dev/ttyAMA0";
        QTest::newRow("COM128") << 128 << "/dev/ttyAMA31";
        QTest::newRow("COM129") << 129 << "/dev/rfcomm0";
        QTest::newRow("COM160") << 160 << "/dev/rfcomm31";
        QTest::newRow("COM161") << 161 << "";
        QTest::newRow("COM0") << 0 << "";
        QTest::newRow("COM-1") << -1 << "";
        // clang-format on
    }
    void portTable() {
        QFETCH(int, number);
        QFETCH(QString, device);
        QCOMPARE(devicePathForPort(number, "/none"), device);
        QCOMPARE(tablePortNumber(device).value_or(0), device.isEmpty() ? 0 : number);
    }

    // Device paths the table does not hold.
    void notTableDevices_data() {
        QTest::addColumn<QString>("path");
        for (const char* path : {"/dev/ttyUSB32", "/dev/ttyUSB01", "/dev/ttyUSB-1", "/dev/ttyUSB+1",
                                 "/dev/pts/3", "/dev/ttyS", "/dev/ttyS+1", "/dev/ttyS 1", "ttyS1"})
            QTest::newRow(path) << path;
    }
    void notTableDevices() {
        QFETCH(QString, path);
        QCOMPARE(tablePortNumber(path).value_or(0), 0);
    }

    // Alias file names: COM and 1 to 32767, written without a leading zero (0: none).
    void aliasNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        // clang-format off
        QTest::newRow("COM1") << "COM1" << 1;
        QTest::newRow("COM32767") << "COM32767" << 32767;
        for (const QString no : {"COM32768", "COM0", "COM05", "COM", "com5", "COM5x", "COM+5", "COM-5", "xCOM5", "COM\u0665", "COM\uFF15"})
            QTest::newRow(qPrintable(no)) << no << 0;
        // clang-format on
    }
    void aliasNames() {
        QFETCH(QString, name);
        QTEST(aliasPortNumber(name).value_or(0), "number");
    }

    // An alias wins over the table; one pointing nowhere still names its port (opening it then
    // fails rather than reach another device); a file that is no link does not count.
    void aliases_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device"); // relative: in the alias directory
        // clang-format off
        QTest::newRow("bound") << 7 << "COM7";
        QTest::newRow("bound past the table") << 41 << "COM41";
        QTest::newRow("pointing nowhere") << 9 << "COM9";
        QTest::newRow("a file") << 8 << "/dev/ttyS7";
        QTest::newRow("none") << 6 << "/dev/ttyS5";
        // clang-format on
    }
    void aliases() {
        QFETCH(int, number);
        QFETCH(QString, device);
        AliasedPorts aliased;
        QCOMPARE(devicePathForPort(number, aliased.ports),
                 device.startsWith('/') ? device : aliased.ports + '/' + device);
    }

    // The device list: an aliased device shows its port; other names and broken links are left out.
    void listsAliasedDevices() {
        AliasedPorts aliased;
        const QStringList listed = QtDeviceCatalogue().serialDeviceNames();
        const QStringList last = listed.mid(listed.size() - 2);
        QCOMPARE(last, (QStringList{aliased.second.slavePath().section('/', -1) + " (COM7)",
                                    aliased.first.slavePath().section('/', -1) + " (COM41)"}));
    }

    // XDG_CONFIG_HOME when absolute, else ~/.config; "-": unset.
    void aliasDirectory_data() {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("directory");
        const QString home = QDir::homePath() + "/.config/roteka/ports";
        QTest::newRow("absolute") << "/etc/x"
                                  << "/etc/x/roteka/ports";
        QTest::newRow("relative") << "etc/x" << home;
        QTest::newRow("empty") << "" << home;
        QTest::newRow("unset") << "-" << home;
    }
    void aliasDirectory() {
        QFETCH(QString, config);
        TestDirectory dir; // puts the variable back
        config == "-" ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config.toUtf8());
        QTEST(roteka::aliasDirectory(), "directory");
    }

    // Baud, parity, data bits, stop bits; a baud rate of 0 for settings refused.
    void lineSettings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baud");
        QTest::addColumn<char>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<QString>("stopBits");
        // clang-format off
        QTest::newRow("plain") << "9600,N,8,1" << 9600 << 'N' << 8 << "1";
        QTest::newRow("even, 7, 2") << "4800,E,7,2" << 4800 << 'E' << 7 << "2";
        QTest::newRow("odd, 5, 1.5") << "110,O,5,1.5" << 110 << 'O' << 5 << "1.5";
        QTest::newRow("mark in lower case") << "19200,m,6,1" << 19200 << 'M' << 6 << "1";
        QTest::newRow("space, blanks around") << " 115200 , S , 8 , 1 " << 115200 << 'S' << 8 << "1";
        QTest::newRow("slowest") << "50,N,8,1" << 50 << 'N' << 8 << "1";
        QTest::newRow("fastest") << "4000000,N,8,1" << 4000000 << 'N' << 8 << "1";
        for (const char* refused : {"9600,N,8", "9600,N,8,1,1", "9600,X,8,1", "9600,N,9,1", "9600,N,4,1", "9600,N,8,3",
                                    "fast,N,8,1", "0,N,8,1", "49,N,8,1", "4000001,N,8,1", "-9600,N,8,1", "+9600,N,8,1",
                                    "99999999999,N,8,1", "9600,,8,1", ""})
            QTest::newRow(*refused ? refused : "empty") << refused << 0 << ' ' << 0 << "";
        // clang-format on
    }
    void lineSettings() {
        QFETCH(QString, text);
        const auto s = parseLineSettings(text);
        QTEST(s ? int(s->baudRate) : 0, "baud");
        if (s) {
            QTEST("NEOMS"[int(s->parity)], "parity");
            QTEST(s->dataBits, "dataBits");
            QTEST((QStringList{"1", "1.5", "2"}[int(s->stopBits)]), "stopBits");
        }
    }

    // Opening a port puts its line settings into effect on the device. A pseudo-terminal keeps 8
    // bits without parity: a port whose settings the device refuses stays closed.
    void lineSettingsOnTheDevice_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<tcflag_t>("flags"); // size, parity and stop bits
        // clang-format off
        QTest::newRow("4800,N,8,2") << "4800,N,8,2" << true << speed_t(B4800) << tcflag_t(CS8 | CSTOPB);
        QTest::newRow("9600,N,8,1") << "9600,N,8,1" << true << speed_t(B9600) << tcflag_t(CS8);
        QTest::newRow("115200,n,8,1") << "115200,n,8,1" << true << speed_t(B115200) << tcflag_t(CS8);
        QTest::newRow("parity") << "9600,E,8,1" << false << speed_t(0) << tcflag_t(0);
        QTest::newRow("7 bits") << "9600,N,7,1" << false << speed_t(0) << tcflag_t(0);
        // clang-format on
    }
    void lineSettingsOnTheDevice() {
        QFETCH(QString, settings);
        AliasedPorts aliased;
        QtSerialPort port;
        port.setPortNumber(7);
        port.setLineSettings(settings);
        QFETCH(bool, opens);
        if (!opens) {
            QVERIFY_THROWS_EXCEPTION(PlatformError, port.open());
            QVERIFY(!port.isOpen());
            return;
        }
        port.open();
        QVERIFY(port.isOpen());
        termios line{};
        ::tcgetattr(aliased.second.slave(), &line);
        QTEST(::cfgetospeed(&line), "speed");
        QTEST(line.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), "flags");
    }

    // A port whose alias points nowhere does not open.
    void aliasPointingNowhereDoesNotOpen() {
        AliasedPorts aliased;
        QtSerialPort port;
        port.setPortNumber(9);
        QVERIFY_THROWS_EXCEPTION(PlatformError, port.open());
        QVERIFY(!port.isOpen());
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
        QCOMPARE(shown(link), (Shown{"Port を切断しました。False", Connect, "000", "", Starting, ""}));
        link.controller->write("AZ=010\r\n");
        const int held = ::open(QFile::encodeName(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        c.toggleConnection();
        QCOMPARE(shown(link), (Shown{"Port = False", Disconnect, "000", "", Starting, ""}));
        ::close(held);
        c.stop();
        c.toggleConnection();
        link.controller->write("AZ=042\r\n");
        QTRY_COMPARE(shown(link), (Shown{"Port = True", Disconnect, "42", "42", Set, ""}));
    }

    // The device goes away while open, mid-reply: the port is reported closed at once; connect
    // without a device fails; once a device is back, connect brings replies back.
    void deviceGoesAwayAndComesBack() {
        PtyStation link(13);
        OperatorControl& c = link.control;
        link.controller->write("AZ=100\r\nAZ=0");
        QTRY_COMPARE(c.azimuth(), std::optional(100));
        link.controller->hangUp();
        QTRY_COMPARE(shown(link), (Shown{"port = False", Connect, "100", "100", Set, "AZ=0"}));
        link.controller.reset();
        c.toggleConnection();
        QCOMPARE(shown(link), (Shown{"Port = False", Disconnect, "100", "100", Set, "AZ=0"}));
        link.controller = std::make_unique<PtyPeer>(link.dir.aliasDir(), 13);
        c.stop();
        c.toggleConnection();
        link.controller->write("AZ=200\r\n");
        QTRY_COMPARE(shown(link), (Shown{"Port = True", Disconnect, "200", "100", Set, ""}));
        c.turnLeft();
        QCOMPARE(link.controller->readUntil(3, 2000), "L\r\n");
        link.controller->hangUp(); // a command written before the hang-up is read fails
        c.turnRight();
        QCOMPARE(shown(link), (Shown{"port = False", Connect, "200", "176", Set, ""}));
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"

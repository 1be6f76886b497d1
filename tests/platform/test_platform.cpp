// The serial services on Linux, down to the real port on a pseudo-terminal.
#include "Stations.h"

#include "platform/PortNames.h"

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

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

// What the window shows: status line, button (接続 connect, 切断 disconnect), azimuth, received.
QString shown(const PtyStation& s) {
    const OperatorControl& c = s.control;
    return QStringList{c.statusLine(), c.offersConnect() ? "接続" : "切断",
                       azimuthText(c.azimuth()), s.link.receiveBuffer()}
        .join('|');
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    // Port number to device and back (0: none): an alias wins; one pointing nowhere still names its
    // port, so opening fails; a file is no alias.
    void portTable_data() {
        // clang-format off
        table<int, QString>({"number", "device"}, {
            {"COM1", 1, "/dev/ttyS0"},
            {"COM32", 32, "/dev/ttyS31"},
            {"COM33", 33, "/dev/ttyUSB0"},
            {"COM64", 64, "/dev/ttyUSB31"},
            {"COM96", 96, "/dev/ttyACM31"},
            {"COM128", 128, "/dev/ttyAMA31"},
            {"COM160", 160, "/dev/rfcomm31"},
            {"COM161", 161, ""},
            {"alias past the table", 41, "COM41"},
            {"alias pointing nowhere", 9, "COM9"},
            {"alias a file", 8, "/dev/ttyS7"},
            {"index 32", 0, "/dev/ttyUSB32"},
            {"leading zero", 0, "/dev/ttyUSB01"},
            {"negative index", 0, "/dev/ttyUSB-1"},
            {"no index", 0, "/dev/ttyS"},
            {"pseudo-terminal", 0, "/dev/pts/3"},
        });
        // clang-format on
    }
    void portTable() {
        const int number = FETCHED(int, number);
        const QString device = FETCHED(QString, device);
        AliasedPorts aliased;
        QCOMPARE(tablePortNumber(device).value_or(0), device.startsWith("/dev/") ? number : 0);
        if (number > 0)
            QCOMPARE(devicePathForPort(number, aliased.ports).remove(aliased.ports + '/'), device);
    }

    // The device list ends with the aliases by number, each with its device; a name that is no
    // port's (COM and 1 to 32767, no leading zero) and a broken link are left out.
    void listsAliasedDevices() {
        AliasedPorts aliased;
        const QString first = aliased.first.slavePath(), second = aliased.second.slavePath();
        for (const char* name :
             {"COM1", "COM0", "COM05", "com5", "COM+5", "COM\u0665", "COM32767", "COM32768"})
            QFile::link(first, aliased.ports + '/' + name);
        const QStringList listed = QtDeviceCatalogue().serialDeviceNames();
        const QString a = first.section('/', -1) + " (COM", b = second.section('/', -1) + " (COM";
        QCOMPARE(listed.mid(listed.size() - 4),
                 (QStringList{a + "1)", b + "7)", a + "41)", a + "32767)"}));
    }

    // Without an absolute XDG_CONFIG_HOME ("-": unset), ~/.config.
    void aliasDirectory_data() {
        const QString home = QDir::homePath() + "/.config/roteka/ports";
        table<QString, QString>({"config", "directory"},
                                {{"relative", "etc/x", home}, {"unset", "-", home}});
    }
    void aliasDirectory() {
        const QString config = FETCHED(QString, config);
        TestDirectory dir; // puts the variable back
        config == "-" ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config.toUtf8());
        QCOMPARE(roteka::aliasDirectory(), FETCHED(QString, directory));
    }

    // Baud, parity, data bits and stop bits; nothing for settings refused.
    void lineSettings_data() {
        // clang-format off
        table<QString, QString>({"text", "settings"}, {
            {"slowest, even, 7, 2", "50,E,7,2", "50 E 7 2"},
            {"fastest, odd, 5, 1.5", "4000000,O,5,1.5", "4000000 O 5 1.5"},
            {"mark in lower case", "19200,m,6,1", "19200 M 6 1"},
            {"space, blanks around", " 115200 , S , 8 , 1 ", "115200 S 8 1"},
            {"below slowest", "49,N,8,1", ""},
            {"above fastest", "4000001,N,8,1", ""},
            {"baud with sign", "+9600,N,8,1", ""},
            {"baud no number", "fast,N,8,1", ""},
            {"three fields", "9600,N,8", ""},
            {"five fields", "9600,N,8,1,1", ""},
            {"parity X", "9600,X,8,1", ""},
            {"9 bits", "9600,N,9,1", ""},
            {"3 stop bits", "9600,N,8,3", ""},
        });
        // clang-format on
    }
    void lineSettings() {
        const auto s = parseLineSettings(FETCHED(QString, text));
        QCOMPARE(s ? u"%1 %2 %3 %4"_s.arg(s->baudRate)
                         .arg("NEOMS"[int(s->parity)])
                         .arg(s->dataBits)
                         .arg(QStringList{"1", "1.5", "2"}[int(s->stopBits)])
                   : "",
                 FETCHED(QString, settings));
    }

    // Opening a port puts its line settings into effect on the device (speed 0: it stays closed,
    // as a pseudo-terminal refuses parity, and as an alias pointing nowhere does).
    void lineSettingsOnTheDevice_data() {
        // clang-format off
        table<int, QString, speed_t, tcflag_t>({"port", "settings", "speed", "flags"}, {
            {"4800,N,8,2", 7, "4800,N,8,2", B4800, CS8 | CSTOPB},
            {"115200,n,8,1", 7, "115200,n,8,1", B115200, CS8},
            {"parity", 7, "9600,E,8,1", 0, 0},
            {"alias pointing nowhere", 9, "9600,N,8,1", 0, 0},
        });
        // clang-format on
    }
    void lineSettingsOnTheDevice() {
        AliasedPorts aliased;
        QtSerialPort port;
        port.setPortNumber(FETCHED(int, port));
        port.setLineSettings(FETCHED(QString, settings));
        termios line{};
        try {
            port.open();
            ::tcgetattr(aliased.second.slave(), &line);
        } catch (const PlatformError&) {
        }
        QCOMPARE(port.isOpen(), FETCHED(speed_t, speed) != 0);
        QCOMPARE(::cfgetospeed(&line), FETCHED(speed_t, speed));
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB),
                 FETCHED(tcflag_t, flags));
    }

    // A command leaves in UTF-8 ended by CR LF; a port another program holds stays closed; replies
    // sent while disconnected are not shown once connected again.
    void aRealLine() {
        PtyStation link(11);
        OperatorControl& c = link.control;
        c.sendCommand(u"方位M090"_s);
        QCOMPARE(link.controller->readUntil(12, 2000), "\xE6\x96\xB9\xE4\xBD\x8DM090\r\n");
        c.toggleConnection();
        QCOMPARE(shown(link), "Port を切断しました。False|接続|000|");
        link.controller->write("AZ=010\r\n");
        const int held = ::open(QFile::encodeName(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        c.toggleConnection();
        QCOMPARE(shown(link), "Port = False|切断|000|");
        ::close(held);
        c.stop();
        c.toggleConnection();
        QTest::qWait(100);
        QCOMPARE(shown(link), "Port = True|切断|000|");
        link.controller->write("AZ=042\r\n");
        QTRY_COMPARE(shown(link), "Port = True|切断|42|");
    }

    // The device goes away mid-reply, or before a command is read: the port is reported closed at
    // once; connect without a device fails; once a device is back, replies come again.
    void deviceGoesAwayAndComesBack() {
        PtyStation link(13);
        OperatorControl& c = link.control;
        link.controller->write("AZ=100\r\nAZ=0");
        QTRY_COMPARE(c.azimuth(), std::optional(100));
        link.controller->hangUp();
        QTRY_COMPARE(shown(link), "port = False|接続|100|AZ=0");
        link.controller.reset();
        c.toggleConnection();
        QCOMPARE(shown(link), "Port = False|切断|100|AZ=0");
        link.controller = std::make_unique<PtyPeer>(link.dir.aliasDir(), 13);
        c.stop();
        c.toggleConnection();
        link.controller->write("AZ=200\r\n");
        QTRY_COMPARE(shown(link), "Port = True|切断|200|");
        c.turnLeft();
        QCOMPARE(link.controller->readUntil(3, 2000), "L\r\n");
        link.controller->hangUp();
        c.turnRight();
        QCOMPARE(shown(link), "port = False|接続|200|");
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"

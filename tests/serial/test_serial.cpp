// The serial link: how port numbers name devices, the line settings the port accepts, the device
// list and picking a port from it, and the link's life on a real pseudo-terminal (connect and
// disconnect, a port held by another program, a device that goes away and comes back).
#include "Stations.h"

#include "serial/DeviceCatalogue.h"
#include "serial/LineSettings.h"
#include "serial/PortNames.h"
#include "serial/QtSerialPort.h"

#include <QAbstractItemView>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

namespace {

// The window with a device list of three (and an empty name), ports 3 and 12 opening.
struct ListedStation : FakeStation {
    ListedStation()
        : FakeStation("3,9600,N,8,1:0\r\n", [](FakePlatform& p) {
              p.serial.openablePorts = {3, 12};
              p.devices.names = {"Communications Port (COM1)", "", "USB Serial Port (COM12)",
                                 "COMTEC USB Adapter (COM5)"};
          }) {}
};

} // namespace

class SerialTest : public QObject {
    Q_OBJECT
private slots:
    // Port number to device, and device back to number (0: none).
    void portTable() {
        // clang-format off
        for (const auto& [number, device] : std::initializer_list<std::pair<int, const char*>>{
                 {1, "/dev/ttyS0"}, {32, "/dev/ttyS31"}, {33, "/dev/ttyUSB0"}, {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"},
                 {68, "/dev/ttyACM3"}, {96, "/dev/ttyACM31"}, {97, "/dev/ttyAMA0"}, {128, "/dev/ttyAMA31"},
                 {129, "/dev/rfcomm0"}, {160, "/dev/rfcomm31"}, {161, ""}, {0, ""}, {-3, ""}}) {
            QCOMPARE(devicePathForPort(number, QStringLiteral("/nonexistent")), QString(device));
            QCOMPARE(tablePortNumber(device).value_or(0), *device ? number : 0);
        }
        for (const char* other : {"/dev/ttyUSB32", "/dev/ttyUSB01", "/dev/pts/3", "/dev/ttyS", "/dev/ttyS+1"})
            QCOMPARE(tablePortNumber(other).value_or(0), 0);
        for (const auto& [name, number] : std::initializer_list<std::pair<QString, int>>{
                 {"COM5", 5}, {"COM1", 1}, {"COM32767", 32767}, {"COM32768", 0}, {"COM100000", 0}, {"COM0", 0},
                 {"COM05", 0}, {"COM", 0}, {"com5", 0}, {"COM5x", 0}, {"COM+5", 0}, {"xCOM5", 0},
                 {QStringLiteral("COM\u0665"), 0}, {QStringLiteral("COM\uFF15"), 0}})
            QVERIFY2(aliasPortNumber(name).value_or(0) == number, qPrintable(name));
        // clang-format on
    }

    // An alias wins over the table; one pointing nowhere still names its port, so that the open
    // fails rather than reaching another device, and is not listed. The directory follows
    // XDG_CONFIG_HOME.
    void aliases() {
        TestDirectory dir;
        QCOMPARE(aliasDirectory(), dir.aliasDir());
        PtyPeer first(dir.aliasDir(), 41), second(dir.aliasDir(), 7);
        QVERIFY(QFile::link("/dev/nothing-here", dir.aliasDir() + "/COM9"));
        QVERIFY(QFile::link(first.slavePath(), dir.aliasDir() + "/notaport"));
        dir.writeFile("config/roteka/ports/COM8", "not a link");
        QCOMPARE(devicePathForPort(9, dir.aliasDir()), dir.aliasDir() + "/COM9");
        QCOMPARE(devicePathForPort(6, dir.aliasDir()), "/dev/ttyS5");
        const auto aliases = listPortAliases(dir.aliasDir());
        QCOMPARE(aliases.size(), 2);
        QCOMPARE(aliases[1].target, QFileInfo(first.slavePath()).canonicalFilePath());
        const QString names = QtDeviceCatalogue().serialDeviceNames().join('|');
        const QString listed = QFileInfo(second.slavePath()).fileName() + " (COM7)|" +
                               QFileInfo(first.slavePath()).fileName();
        QVERIFY2(names.endsWith(listed + " (COM41)"), qPrintable(names));
        QtSerialPort port;
        port.setCommPort(9);
        QVERIFY_THROWS_EXCEPTION(RunTimeError, port.setPortOpen(true));
        port.setCommPort(7);
        port.setPortOpen(true);
        QVERIFY(port.portOpen());
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(aliasDirectory(), QDir::homePath() + "/.config/roteka/ports");
    }

    // Baud, parity, data bits, stop bits as QSerialPort numbers them; none when refused.
    void lineSettings() {
        // clang-format off
        for (const auto& [text, parsed] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"9600,N,8,1", "9600 0 8 1"}, {"4800,E,7,2", "4800 2 7 2"}, {"110,O,5,1.5", "110 3 5 3"},
                 {"19200,m,6,1", "19200 5 6 1"}, {" 115200 , S , 8 , 1 ", "115200 4 8 1"}, {"", ""}, {"9600,N,8", ""},
                 {"9600,N,8,1,1", ""}, {"9600,X,8,1", ""}, {"9600,N,9,1", ""}, {"9600,N,4,1", ""}, {"9600,N,8,3", ""},
                 {"fast,N,8,1", ""}, {"0,N,8,1", ""}, {"-9600,N,8,1", ""}, {"+9600,N,8,1", ""}, {"99999999999,N,8,1", ""}}) {
            const auto s = parseLineSettings(text);
            QVERIFY2((s ? QStringLiteral("%1 %2 %3 %4").arg(s->baudRate).arg(s->parity).arg(s->dataBits).arg(s->stopBits) : "") == parsed, text);
        }
        // clang-format on
    }

    // Empty names are left out; the drop-down, editable once its page is shown, shows its prompt,
    // none of its items chosen; picking one writes its number (what stands between the first
    // "COM" and ")") into the port number box, changing nothing else until it is registered; a
    // failing listing shows and says nothing.
    void listAndPick() {
        ListedStation station;
        Form1& form = station.form;
        QCOMPARE(form.Combo1->count(), 3);
        form.SSTab1->setCurrentIndex(1);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form) && form.Combo1->isEditable());
        QCOMPARE(form.Combo1->currentText() + QString::number(form.Combo1->currentIndex()),
                 "コムポート選択-1");
        for (const auto& [index, number] : std::initializer_list<std::pair<int, const char*>>{
                 {0, "1"}, {2, "TEC USB Adapter (COM5"}}) {
            form.Combo1->setCurrentIndex(index);
            emit form.Combo1->activated(index);
            QCOMPARE(form.Text1->text(), number);
        }
        QCOMPARE(station.dir.readFile("ROTEKA.DAT"), "3,9600,N,8,1:0\r\n");
        QCOMPARE(station.platform.serial.commPort(), 3);
        QCOMPARE(state(form), "Port = True|切断|000||初期化中|");
        // The operator's way: open the list, click a device, register.
        form.Combo1->showPopup();
        QAbstractItemView* list = form.Combo1->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
        QTRY_VERIFY(!list->isVisible());
        form.Command8->click();
        QCOMPARE(station.dir.readFile("ROTEKA.DAT"), "12,9600,N,8,1:0\r\n");
        QCOMPARE(station.platform.serial.commPort() * 10 + station.platform.serial.opens, 122);
        QCOMPARE(station.platform.messages.shown,
                 QStringList(3, "ポート変更が完了しました。\r\n\r\n\u3000設定内容は環境設定登録後に"
                                "有効となります。\r\n\u3000環境設定登録後"
                                "にポートを確認してください。\r\n\u3000ポートが有効「ﾎﾟｰﾄ = "
                                "True」となった場合であっても、一度プログラムを"
                                "再起動後に使用してください。")
                     << Registered);
        FakeStation failing("3,9600,N,8,1:0\r\n", [](FakePlatform& p) { p.devices.fail = true; });
        QCOMPARE(failing.form.Combo1->count() + failing.platform.messages.shown.size(), 0);
    }

    // Connect says "切断" even when the port stays closed (held by another program); the status
    // line tells the truth. Replies sent while disconnected are not shown.
    void connectAndDisconnect() {
        PtyStation link(11);
        const Form1& form = *link.form;
        form.Command6->click();
        QCOMPARE(state(form), "Port を切断しました。False|接続|000||初期化中|");
        link.controller->write("AZ=010\r\n");
        const int held = ::open(QFile::encodeName(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QVERIFY(::flock(held, LOCK_EX | LOCK_NB) == 0);
        form.Command6->click();
        form.Command6->click();
        QCOMPARE(state(form), "Port = False|切断|000||初期化中|");
        ::close(held);
        form.Command2->click();
        form.Command6->click();
        link.controller->write("AZ=042\r\n");
        QTRY_COMPARE(state(form), "Port = True|切断|42|42|設定角度 ＝|");
        QCOMPARE(link.messages.shown, QStringList());
    }

    // The device goes away while open, mid-reply: the port is reported closed at once; connect
    // without a device fails; once a device is back, connect brings replies back.
    void deviceGoesAwayAndComesBack() {
        PtyStation link(13);
        const Form1& form = *link.form;
        link.controller->write("AZ=100\r\nAZ=0");
        QTRY_COMPARE(form.Label4->text(), "100");
        link.controller->hangUp();
        QTRY_COMPARE(state(form), "port = False|接続|100|100|設定角度 ＝|AZ=0");
        link.controller.reset();
        form.Command6->click();
        QCOMPARE(state(form), "Port = False|切断|100|100|設定角度 ＝|AZ=0");
        link.controller = std::make_unique<PtyPeer>(link.dir.aliasDir(), 13);
        form.Command2->click();
        QCOMPARE(form.Command6->text(), "接続");
        form.Command6->click();
        link.controller->write("AZ=200\r\n");
        QTRY_COMPARE(state(form), "Port = True|切断|200|100|設定角度 ＝|");
        form.Command1->click();
        QCOMPARE(link.controller->readUntil(3, 2000), "L\r\n");
        link.controller->hangUp(); // a command written before the hang-up is read fails
        form.Command3->click();
        QCOMPARE(form.Label1->text() + form.Command6->text(), "port = False接続");
    }
};

QTEST_MAIN(SerialTest)
#include "test_serial.moc"

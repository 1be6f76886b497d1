// The rotator's control on the fake platform: start-up and the settings file, the buttons, the
// controller's reports, the link and the settings store on their own, other programs' requests.
#include "LogRecorder.h"
#include "Stations.h"

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

const QString Name = "ROTEKA.DAT";
const QString Usual = "9600,N,8,1";
const QString Provisional = "「ROTEKA.DAT」が有りませんでしたので"
                            "新たに暫定データを作成しました。\r\n（コムポート＝３）\r\n\r\n"
                            "表示の環境設定ページを修正し登録してください。\r\n"
                            "変更登録後は再起動が必要です。";
const QString Legacy = "旧システムでの環境設定のため、「ROTEKA.DAT」を"
                       "新バージョン用に変更しましたので再確認してください。";
const QString Chosen = "ポート変更が完了しました。\r\n\r\n"
                       "\u3000設定内容は環境設定登録後に有効となります。\r\n"
                       "\u3000環境設定登録後にポートを確認してください。\r\n"
                       "\u3000ポートが有効「ﾎﾟｰﾄ = True」となった場合であっても、"
                       "一度プログラムを再起動後に使用してください。";
const QString WriteFailed = "「ROTEKA.DAT」に書き込めませんでした。";

// The operator's actions by key: L turn left, S stop, R turn right, > step right, < step left,
// F the free command, T the connect button.
void press(OperatorControl& c, const QString& keys, const QString& typed = {}) {
    for (const QChar k : keys)
        k == 'L'   ? c.turnLeft()
        : k == 'S' ? c.stop()
        : k == 'R' ? c.turnRight()
        : k == '>' ? c.stepRight()
        : k == '<' ? c.stepLeft()
        : k == 'F' ? c.sendCommand(typed)
                   : c.toggleConnection();
}

// The settings page's fields as one settings line.
QString fields(const OperatorControl& c) {
    return c.portNumberField() + ',' + c.lineSettingsField() + ':' + c.offsetField();
}

// A report of 123, then (unless the bearing is none) a turn to the bearing; then a reply begun.
void prepare(FakeStation& s, std::optional<double> bearing) {
    s.platform.serial.feed("AZ=123\r\n");
    if (bearing)
        s.control.turnToBearing(*bearing);
    s.platform.serial.written.clear();
    s.link.setReceiveBuffer("AZ=1");
}

} // namespace

class ControlTest : public QObject {
    Q_OBJECT
private slots:
    // What a settings file sets up: the port's number and line settings, the page's fields, and
    // whether the port opened; a turn to 90 degrees then sends its go-to with the offset.
    void startUp_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QByteArray>("turnSends");
        const QString u = Usual;
        // clang-format off
        QTest::newRow("current") << "3,9600,N,8,1:5\r\n"_ba << 3 << u << "3,9600,N,8,1:5" << "M095\r\n"_ba;
        QTest::newRow("LF alone") << "3,9600,N,8,1:5\n"_ba << 3 << u << "3,9600,N,8,1:5" << "M095\r\n"_ba;
        QTest::newRow("absent port") << "12,4800,E,7,2:-5\r\n"_ba << 12 << "4800,E,7,2" << "12,4800,E,7,2:-5" << ""_ba;
        QTest::newRow("empty fields") << ",:\r\n"_ba << 3 << u << "3,9600,N,8,1:" << "M090\r\n"_ba;
        QTest::newRow("empty first line") << "\r\n3,9600,N,8,1:0\r\n"_ba << 1 << u << "3,9600,N,8,1:0" << ""_ba;
        QTest::newRow("older form") << "3,9600,N,8,1:x;オフ\rmore\r\n"_ba << 3 << u << "3,9600,N,8,1:オフ" << "M090\r\n"_ba;
        QTest::newRow("older, no offset") << "3,9600,N,8,1:;\r\n"_ba << 3 << u << "3,9600,N,8,1:0" << "M090\r\n"_ba;
        QTest::newRow("bad parity") << "3,9600,X,8,1:0\r\n"_ba << 3 << u << "3,9600,X,8,1:0" << ""_ba;
        QTest::newRow("port past 16 bits") << "40000,9600,N,8,1:0\r\n"_ba << 1 << u << "40000,9600,N,8,1:0" << ""_ba;
        QTest::newRow("no colon") << "3,9600,N,8,1\r\n"_ba << 1 << u << "3,9600,N,8,1:0" << ""_ba;
        QTest::newRow("empty file") << ""_ba << 1 << u << "3,9600,N,8,1:0" << ""_ba;
        QTest::newRow("no file") << FakeStation::NoFile << 1 << u << "3,9600,N,8,1:0" << ""_ba;
        QTest::newRow("a directory") << FakeStation::DirectoryInstead << 1 << u << "3,9600,N,8,1:0" << ""_ba;
        // clang-format on
    }
    void startUp() {
        FakeStation s(FETCHED(QByteArray, file));
        const bool open = !FETCHED(QByteArray, turnSends).isEmpty();
        QCOMPARE(s.platform.serial.portNumber(), FETCHED(int, port));
        QCOMPARE(s.platform.serial.lineSettings(), FETCHED(QString, line));
        QCOMPARE(fields(s.control), FETCHED(QString, fields));
        QCOMPARE(s.platform.serial.isOpen(), open);
        QCOMPARE(state(s), open ? "Port = True|切断|000||初期化中|" : "|接続|000||初期化中|");
        s.control.turnToBearing(90);
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, turnSends));
    }

    // What start-up says, the page it shows (-1: none chosen, the window stays on its first page)
    // and the file afterwards: rewritten in the current form, written anew, or as it was.
    void startUpTells_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<int>("page");
        QTest::addColumn<QByteArray>("fileAfter");
        const QStringList failed{FailureReport}, none, legacy{Legacy},
            made{Provisional, FailureReport};
        const int op = OperatorControl::OperatingPage, set = OperatorControl::SettingsPage;
        // clang-format off
        QTest::newRow("current") << UsualSettings << none << op << UsualSettings;
        QTest::newRow("older form") << "3,9600,N,8,1:x;オフ\r\n"_ba << legacy << op << "3,9600,N,8,1:オフ\r\n"_ba;
        QTest::newRow("older, no offset") << "3,9600,N,8,1:;\r\n"_ba << legacy << op << UsualSettings;
        QTest::newRow("older, no colon") << "3,9600,N,8,1;0\r\n"_ba << failed << op << "3,9600,N,8,1;0\r\n"_ba;
        QTest::newRow("absent port") << "12,9600,N,8,1:0\r\n"_ba << failed << op << "12,9600,N,8,1:0\r\n"_ba;
        QTest::newRow("empty file") << ""_ba << failed << op << ""_ba;
        QTest::newRow("no file") << FakeStation::NoFile << made << set << UsualSettings;
        QTest::newRow("a directory") << FakeStation::DirectoryInstead << failed << -1 << ""_ba;
        // clang-format on
    }
    void startUpTells() {
        FakeStation s(FETCHED(QByteArray, file), FakeStation::StartLater);
        int chosen = -1;
        connect(&s.control, &OperatorControl::pageChosen, this, [&](auto p) { chosen = p; });
        LogRecorder log;
        s.control.startUp();
        QCOMPARE(s.platform.messages.shown, FETCHED(QStringList, said));
        QCOMPARE(chosen, FETCHED(int, page));
        QCOMPARE(s.dir.readFile(Name), FETCHED(QByteArray, fileAfter));
        // A failed start-up is logged with its reason.
        const bool failed = s.platform.messages.shown.contains(FailureReport);
        QCOMPARE(log.containing("roteka.control: start-up failed: ").size(), int(failed));
    }

    // The fields as typed, registered with ports 3, 4 and 12 opening: the port's setup, whether it
    // opened, the file, and the message (with the reason when the file could not be written: a
    // full disk, a directory in its place).
    void registration_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QByteArray>("file");
        const QString u = Usual;
        // clang-format off
        QTest::newRow("empty offset is 0") << "3,9600,N,8,1:" << "" << 3 << u << true << "3,9600,N,8,1:0\r\n"_ba;
        QTest::newRow("letters") << "COM3,9600,N,8,1:0" << "" << 3 << u << true << "COM3,9600,N,8,1:0\r\n"_ba;
        QTest::newRow("bad parity: line kept") << "3,9600,Q,8,1:5" << "" << 3 << u << true << "3,9600,Q,8,1:5\r\n"_ba;
        QTest::newRow("2.5 is 2") << "2.5,9600,N,8,1:0" << "" << 2 << u << false << "2.5,9600,N,8,1:0\r\n"_ba;
        QTest::newRow("3.5 is 4") << "3.5,4800,E,7,2:-5" << "" << 4 << "4800,E,7,2" << true << "3.5,4800,E,7,2:-5\r\n"_ba;
        QTest::newRow("disk full") << "12,9600,N,8,1:0" << "full" << 12 << u << true << UsualSettings;
        QTest::newRow("directory") << "12,9600,N,8,1:0" << "directory" << 12 << u << true << ""_ba;
        // clang-format on
    }
    void registration() {
        QFETCH(QString, typed);
        QFETCH(QString, obstacle);
        QFETCH(bool, open);
        FakeStation s;
        s.platform.serial.openablePorts = {3, 4, 12};
        const auto f = splitSettingsLine(typed);
        s.control.setPortNumberField(f->portNumber);
        s.control.setLineSettingsField(f->lineSettings);
        s.control.setOffsetField(f->offset);
        if (obstacle == "directory")
            QVERIFY(QFile::remove(Name) && QDir().mkdir(Name));
        std::optional<FileSizeLimit> limit;
        if (obstacle == "full")
            limit.emplace();
        LogRecorder log;
        s.control.registerSettings();
        limit.reset();
        QCOMPARE(s.platform.serial.portNumber(), FETCHED(int, port));
        QCOMPARE(s.platform.serial.lineSettings(), FETCHED(QString, line));
        QCOMPARE(fields(s.control), f->offset.isEmpty() ? typed + '0' : typed);
        QCOMPARE(s.control.statusLine(), open ? " ﾎﾟｰﾄ=True" : " ﾎﾟｰﾄ=False");
        QCOMPARE(s.control.offersConnect(), !open);
        QCOMPARE(s.dir.readFile(Name), FETCHED(QByteArray, file));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(),
                 obstacle == "directory" ? 0 : 1);
        const QStringList& said = s.platform.messages.shown;
        QCOMPARE(said.size(), 1);
        if (obstacle.isEmpty()) {
            QCOMPARE(said[0], Registered);
            return;
        }
        // The system's reason follows on the next line, and the log names the file.
        QVERIFY2(said[0].startsWith(WriteFailed + "\r\n") &&
                     said[0].size() > WriteFailed.size() + 2,
                 qPrintable(said[0]));
        QCOMPARE(log.containing("roteka.settings: registering the settings: ROTEKA.DAT: ").size(),
                 1);
    }

    // Empty names are left out; a choice fills the field, says so, and counts once registered; a
    // failing listing lists nothing, says nothing and logs why.
    void listAndPick() {
        FakeStation s(UsualSettings, FakeStation::StartLater);
        s.platform.serial.openablePorts = {3, 12};
        s.platform.devices.names = {"Communications Port (COM1)", "", "USB Serial Port (COM12)"};
        QStringList listed;
        connect(&s.control, &OperatorControl::portListFound, this,
                [&](auto found) { listed = found; });
        s.control.startUp();
        QCOMPARE(listed, QStringList({"Communications Port (COM1)", "USB Serial Port (COM12)"}));
        QSignalSpy changed(&s.control, &OperatorControl::settingsFieldsChanged);
        s.control.choosePort(listed[0]);
        QCOMPARE(s.control.portNumberField(), "1");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(s.dir.readFile(Name), UsualSettings);
        QCOMPARE(s.platform.serial.portNumber(), 3);
        s.control.choosePort(listed[1]);
        s.control.registerSettings();
        QCOMPARE(s.dir.readFile(Name), "12,9600,N,8,1:0\r\n");
        QCOMPARE(s.platform.messages.shown, QStringList({Chosen, Chosen, Registered}));
        FakeStation failing(UsualSettings, FakeStation::StartLater);
        failing.platform.devices.fail = true;
        LogRecorder log;
        failing.control.startUp();
        QCOMPARE(state(failing), "Port = True|切断|000||初期化中|");
        QCOMPARE(failing.platform.messages.shown, QStringList());
        QCOMPARE(log.lines,
                 QStringList{"roteka.serial: listing the serial devices: device query failed"});
    }

    // Disconnect, then connect while another program holds the port: the status line tells the
    // truth and the button offers what it offered; a later stop and connect work again.
    void connectAndDisconnect() {
        FakeStation s;
        press(s.control, "T");
        QCOMPARE(state(s), "Port を切断しました。False|接続|000||初期化中|");
        s.platform.serial.openablePorts = {};
        LogRecorder log;
        press(s.control, "TT");
        QCOMPARE(state(s), "Port = False|切断|000||初期化中|");
        QCOMPARE(log.lines, QStringList{"roteka.serial: connecting: COM3: cannot open"});
        s.platform.serial.openablePorts = {3};
        press(s.control, "ST");
        s.platform.serial.feed("AZ=042\r\n");
        QCOMPARE(state(s), "Port = True|切断|42|42|設定角度 ＝|");
        QCOMPARE(s.platform.messages.shown, QStringList());
    }

    // The port closed behind the control's back while it offers to disconnect: nothing is written
    // or said; the status line says the port is closed; the connect button offers what the key
    // leaves it; the commanded angle and a half reply stay or go as the key decides.
    void closedPort_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("buffer");
        QTest::newRow("turn left") << "LL"
                                   << "接続"
                                   << "184"
                                   << "";
        QTest::newRow("stop") << "SS"
                              << "接続"
                              << "200"
                              << "";
        QTest::newRow("turn right") << "RR"
                                    << "切断"
                                    << "176"
                                    << "";
        QTest::newRow("step right") << ">>"
                                    << "切断"
                                    << "200"
                                    << "AZ=1";
        QTest::newRow("step left") << "<<"
                                   << "接続"
                                   << "200"
                                   << "AZ=1";
        QTest::newRow("free command") << "FF"
                                      << "接続"
                                      << "200"
                                      << "AZ=1";
        QTest::newRow("step right, connect") << ">T"
                                             << "切断"
                                             << "200"
                                             << "AZ=1";
    }
    void closedPort() {
        QFETCH(QString, keys);
        FakeStation s;
        prepare(s, 200);
        s.platform.serial.close();
        press(s.control, keys, "V");
        QCOMPARE(state(s), QStringLiteral("port = False|%1|123|%2|設定角度 ＝|%3")
                               .arg(FETCHED(QString, caption), FETCHED(QString, angle),
                                    FETCHED(QString, buffer)));
        QVERIFY(!s.platform.serial.isOpen());
        QCOMPARE(s.platform.serial.written, QByteArray());
        QCOMPARE(s.platform.messages.shown, QStringList());
    }

    // After a report of 123 and a turn to the bearing (-1: no turn), keys pressed with a free
    // command typed: the bytes sent, the commanded angle and the receive buffer.
    void presses_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("bearing");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("buffer");
        // clang-format off
        QTest::newRow("stop takes the azimuth") << "S" << 200 << "" << "A\r\n"_ba << "123" << "";
        QTest::newRow("steps left wrap at 0") << "<<" << 15 << "" << "M360\r\nM345\r\n"_ba << "345" << "AZ=1";
        QTest::newRow("4 characters send nothing") << ">" << 9990 << "" << ""_ba << "9645" << "AZ=1";
        QTest::newRow("step after turn left") << "L>" << -1 << "" << "L\r\nM199\r\n"_ba << "199" << "";
        QTest::newRow("step after turn right") << "R<" << -1 << "" << "R\r\nM161\r\n"_ba << "161" << "";
        QTest::newRow("turns repeat") << "LLRR" << -1 << "" << "L\r\nL\r\nR\r\nR\r\n"_ba << "176" << "";
        QTest::newRow("typed go-to, angle kept") << "LF>" << -1 << "M090" << "L\r\nM090\r\nM199\r\n"_ba << "199" << "";
        QTest::newRow("empty command") << "F" << -1 << "" << "\r\n"_ba << "123" << "AZ=1";
        QTest::newRow("blanks and case kept") << "F" << -1 << "  v x " << "  v x \r\n"_ba << "123" << "AZ=1";
        QTest::newRow("UTF-8 command") << "F" << -1 << "方位M090" << "方位M090\r\n"_ba << "123" << "AZ=1";
        // clang-format on
    }
    void presses() {
        const int bearing = FETCHED(int, bearing);
        FakeStation s;
        prepare(s, bearing < 0 ? std::nullopt : std::optional<double>(bearing));
        press(s.control, FETCHED(QString, keys), FETCHED(QString, typed));
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, sent));
        QCOMPARE(commandedAngleText(s.control.commandedAngle()), FETCHED(QString, angle));
        QCOMPARE(s.link.receiveBuffer(), FETCHED(QString, buffer));
        QVERIFY(state(s).startsWith("Port = True|切断|"));
        QCOMPARE(s.platform.messages.shown, QStringList());
    }

    // A write that fails: the action carries on as on a closed line and logs what it was doing,
    // the port and the reason.
    void failedWritesAreLogged() {
        FakeStation s;
        s.platform.serial.failWrites = true;
        LogRecorder log;
        press(s.control, "LS>F", "V");
        QCOMPARE(s.control.turnToBearing(90), OperatorControl::Outcome::PortClosed);
        QCOMPARE(log.lines,
                 QStringList({"roteka.serial: turning left: COM3: write failed",
                              "roteka.serial: stopping: COM3: write failed",
                              "roteka.serial: stepping right: COM3: write failed",
                              "roteka.serial: sending a command: COM3: write failed",
                              "roteka.serial: turning to a bearing: COM3: write failed"}));
        QCOMPARE(s.platform.serial.written, QByteArray());
    }

    // The first report, whole or after noise, becomes the commanded angle.
    void firstReport_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("azimuth");
        QTest::newRow("plain") << QByteArray("AZ=090") << "90";
        QTest::newRow("000 is a report") << QByteArray("AZ=000\r\n") << "0";
        QTest::newRow("after noise") << QByteArray("A\r\nAZ=045\r\n") << "45";
        QTest::newRow("past north") << QByteArray("AZ=450") << "90";
    }
    void firstReport() {
        QFETCH(QString, azimuth);
        FakeStation s;
        s.platform.serial.feed(FETCHED(QByteArray, bytes));
        QCOMPARE(state(s), QStringLiteral("Port = True|切断|%1|%1|設定角度 ＝|").arg(azimuth));
        QCOMPARE(s.platform.serial.written, QByteArray());
    }

    // The first report overwrites a command given before it, later ones leave the commanded angle;
    // a command empties a half reply; a stop before any report commands "000".
    void laterReports() {
        FakeStation w;
        press(w.control, "L");
        w.platform.serial.feed("AZ=010\r\n");
        QCOMPARE(commandedAngleText(w.control.commandedAngle()), "10");
        press(w.control, "R");
        QSignalSpy azimuths(&w.control, &OperatorControl::azimuthChanged);
        w.platform.serial.feed("AZ=020\r\nAZ=020\r\nAZ=030\r\nAZ=0");
        QCOMPARE(azimuths.size(), 2); // a report that changes nothing is no change
        QCOMPARE(state(w), "Port = True|切断|30|176|設定角度 ＝|AZ=0");
        press(w.control, "S");
        w.platform.serial.feed("45\r\n");
        QCOMPARE(state(w), "Port = True|切断|30|30|設定角度 ＝|");
        QCOMPARE(w.platform.serial.written, "L\r\nR\r\nA\r\n");
        FakeStation half;
        half.platform.serial.feed("AZ=0");
        press(half.control, "S");
        half.platform.serial.feed("45\r\n");
        QCOMPARE(state(half), "Port = True|切断|000|000|初期化中|");
        QVERIFY(half.control.commandedAngle() == CommandedAngle({0, true}));
        press(half.control, ">");
        QCOMPARE(half.platform.serial.written, "A\r\nM015\r\n");
    }

    // The state other code reads is typed and announced only when it changes.
    void typedState() {
        FakeStation s;
        QSignalSpy offset(&s.control, &OperatorControl::offsetChanged);
        QSignalSpy status(&s.control, &OperatorControl::statusLineChanged);
        for (const char* text : {"10", "10.0", "abc", "0", "", "-2.5x"})
            s.control.setOffsetField(text);
        QCOMPARE(offset.size(), 4); // "10.0" is the same offset as "10", "" as "0"
        QCOMPARE(s.control.offset(), -2.5);
        QVERIFY(s.control.offsetSet());
        s.control.setOffsetField("+0");
        QVERIFY(!s.control.offsetSet());
        QCOMPARE(s.control.property("azimuth").value<std::optional<int>>(), std::nullopt);
        s.platform.serial.feed("AZ=200");
        QCOMPARE(s.control.property("azimuth").value<std::optional<int>>(), std::optional(200));
        press(s.control, "TTTT");
        QCOMPARE(status.size(), 4);
        s.platform.serial.lose();
        s.platform.serial.lose();
        QCOMPARE(status.size(), 5);
        QCOMPARE(state(s), "port = False|接続|200|200|設定角度 ＝|");
    }

    // The link alone: each report, then the end of what arrived together; no go-to for an angle
    // of four characters; the port number read as the settings text writes it.
    void link() {
        FakePlatform p;
        ControllerLink link(p.serial);
        QStringList heard;
        connect(&link, &ControllerLink::azimuthReported, this,
                [&](int a) { heard << QString::number(a); });
        connect(&link, &ControllerLink::arrivalScanned, this, [&] { heard << "|"; });
        p.serial.feed("AZ=001AZ=7");
        p.serial.feed("20\r\nAZ=999");
        QCOMPARE(heard, QStringList({"1", "|", "360", "639", "|"}));
        for (const auto& [text, number] : {std::pair{" 12 ", 12}, {"2.5", 2}, {"32767", 32767}}) {
            link.setPortNumber(text);
            QCOMPARE(p.serial.portNumber(), number);
        }
        for (const QString text : {"", "COM3", "32768", "0"})
            QVERIFY_THROWS_EXCEPTION(PlatformError, link.setPortNumber(text));
        p.serial.setPortNumber(3);
        link.open();
        QVERIFY(!link.goTo(1000) && !link.goTo(-100) && link.goTo(-99) && link.goTo(360));
        QCOMPARE(p.serial.written, "M-99\r\nM360\r\n");
        // Line settings the open port refuses leave those in force.
        p.serial.refuseLineSettings = true;
        QVERIFY_THROWS_EXCEPTION(PlatformError, link.setLineSettings("4800,E,7,2"));
        QCOMPARE(p.serial.lineSettings(), "9600,N,8,1");
        QVERIFY(p.serial.line() == LineSettings());
    }

    // The settings store names its file in every failure.
    void settingsStore() {
        TestDirectory dir;
        SettingsStore store("ROTEKA.DAT");
        QVERIFY(!store.exists());
        const auto failure = [&](auto&& step) {
            try {
                step();
            } catch (const PlatformError& error) {
                return error.message();
            }
            return QString();
        };
        QVERIFY(failure([&] { store.read(); }).startsWith("ROTEKA.DAT: "));
        dir.writeFile(Name, "3,9600\r\n");
        QCOMPARE(failure([&] { store.read(); }),
                 "ROTEKA.DAT: the line \"3,9600\" lacks its \",\" or \":\"");
        store.write("5", "4800,E,7,2", "-3");
        QCOMPARE(dir.readFile(Name), "5,4800,E,7,2:-3\r\n");
        QCOMPARE(store.read().lineSettings, "4800,E,7,2");
        QCOMPARE(store.line(), "5,4800,E,7,2:-3");
        QVERIFY(QFile::remove(Name) && QDir().mkdir(Name));
        QVERIFY(failure([&] { store.write("3", "", ""); }).startsWith("ROTEKA.DAT: "));
    }

    // Other programs' requests: each with how it went; a burst of turns sends the first at once
    // and then only the newest, no sooner than the interval after it; a stop drops a turn waiting.
    void remoteRequests() {
        FakeStation s;
        s.platform.serial.feed("AZ=030");
        s.control.setOffsetField("40");
        QCOMPARE(s.requests.azimuthLessOffset(), std::optional(350.0));
        QCOMPARE(s.requests.turnTo(10), RemoteRequests::Outcome::Done);
        QCOMPARE(s.requests.turn(-1), RemoteRequests::Outcome::Done);
        QCOMPARE(s.platform.serial.written, "M050\r\nL\r\n");
        s.platform.serial.written.clear();
        QElapsedTimer clock;
        clock.start();
        for (int bearing = 100; bearing < 200; ++bearing)
            s.requests.turnSoon(bearing);
        QCOMPARE(s.platform.serial.written, "M140\r\n");
        QVERIFY(waitFor([&] { return s.platform.serial.written.size() > 6; }, 1000));
        QCOMPARE_GE(clock.elapsed(), RemoteRequests::MinTurnIntervalMs - 1);
        QCOMPARE(s.platform.serial.written, "M140\r\nM239\r\n");
        s.requests.turnSoon(300);
        QCOMPARE(s.requests.stop(), RemoteRequests::Outcome::Done);
        QTest::qWait(2 * RemoteRequests::MinTurnIntervalMs);
        QCOMPARE(s.platform.serial.written, "M140\r\nM239\r\nA\r\n");
        s.platform.serial.close();
        QCOMPARE(s.requests.azimuthLessOffset(), std::nullopt);
        QCOMPARE(s.requests.turnTo(10), RemoteRequests::Outcome::PortClosed);
        QCOMPARE(s.requests.stop(), RemoteRequests::Outcome::PortClosed);
        QCOMPARE(s.requests.turn(1), RemoteRequests::Outcome::PortClosed);
    }
};

QTEST_MAIN(ControlTest)
#include "test_control.moc"

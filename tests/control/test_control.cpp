// The rotator's control on the fake platform: start-up and the settings file, the buttons, the
// controller's reports, the link on its own, other programs' requests.
#include "LogRecorder.h"
#include "Stations.h"

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

const QString Name = "ROTEKA.DAT";
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

} // namespace

class ControlTest : public QObject {
    Q_OBJECT
private slots:
    // What a settings file sets up (the port's number and line settings, the page's fields),
    // whether the port opened (a turn to 90 degrees then sends its go-to, the offset added), what
    // start-up says, and the file afterwards (as it was, or written in the current form).
    void startUp_data() {
        const QString u = "9600,N,8,1";
        const QStringList none, failed{FailureReport}, legacy{Legacy};
        // clang-format off
        table<QByteArray, int, QString, QString, QStringList, QByteArray>(
            {"file", "port", "line", "fields", "said", "fileAfter"}, {
            {"current", "3,9600,N,8,1:5\r\n", 3, u, "3,9600,N,8,1:5", none, "3,9600,N,8,1:5\r\n"},
            {"LF alone", "3,9600,N,8,1:5\n", 3, u, "3,9600,N,8,1:5", none, "3,9600,N,8,1:5\n"},
            {"absent port", "12,4800,E,7,2:5\r\n", 12, "4800,E,7,2", "12,4800,E,7,2:5", failed, "12,4800,E,7,2:5\r\n"},
            {"empty fields", ",:\r\n", 3, u, "3,9600,N,8,1:", none, ",:\r\n"},
            {"older form", "3,9600,N,8,1:x;オフ\rmore\r\n", 3, u, "3,9600,N,8,1:オフ", legacy, "3,9600,N,8,1:オフ\r\n"},
            {"older, no offset", "3,9600,N,8,1:;\r\n", 3, u, "3,9600,N,8,1:0", legacy, UsualSettings},
            {"older, no colon", "3,9600,N,8,1;0\r\n", 1, u, "3,9600,N,8,1:0", failed, "3,9600,N,8,1;0\r\n"},
            {"bad parity", "3,9600,X,8,1:0\r\n", 3, u, "3,9600,X,8,1:0", failed, "3,9600,X,8,1:0\r\n"},
            {"past 16 bits", "40000,9600,N,8,1:0\r\n", 1, u, "40000,9600,N,8,1:0", failed, "40000,9600,N,8,1:0\r\n"},
            {"empty file", "", 1, u, "3,9600,N,8,1:0", failed, ""},
            {"no file", FakeStation::NoFile, 1, u, "3,9600,N,8,1:0", {Provisional, FailureReport}, UsualSettings},
            {"a directory", FakeStation::DirectoryInstead, 1, u, "3,9600,N,8,1:0", failed, ""},
        });
        // clang-format on
    }
    void startUp() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, fileAfter);
        FakeStation s(file, FakeStation::StartLater);
        int chosen = -1;
        connect(&s.control, &OperatorControl::pageChosen, this, [&](auto p) { chosen = p; });
        LogRecorder log;
        s.control.startUp();
        QCOMPARE(s.platform.serial.portNumber(), FETCHED(int, port));
        QCOMPARE(s.platform.serial.lineSettings(), FETCHED(QString, line));
        QCOMPARE(fields(s.control), FETCHED(QString, fields));
        const bool open = !s.platform.messages.shown.contains(FailureReport);
        QCOMPARE(state(s), open ? "Port = True|切断|000||初期化中|" : "|接続|000||初期化中|");
        QCOMPARE(s.platform.messages.shown, FETCHED(QStringList, said));
        // The settings page for a file written anew; none chosen when even that failed.
        QCOMPARE(chosen, file == FakeStation::NoFile             ? 1
                         : file == FakeStation::DirectoryInstead ? -1
                                                                 : 0);
        QCOMPARE(s.dir.readFile(Name), fileAfter);
        QCOMPARE(log.containing("roteka.control: start-up failed: ").size(), int(!open));
    }

    // The fields as typed, registered with ports 3, 4 and 12 opening: the port's setup, whether it
    // opened, the file, and the message (with the reason when the file could not be written: a
    // full disk, a directory in its place).
    void registration_data() {
        const QString u = "9600,N,8,1";
        // clang-format off
        table<QString, QString, int, QString, bool, QByteArray>({"typed", "obstacle", "port", "line", "open", "file"}, {
            {"empty offset is 0", "3,9600,N,8,1:", "", 3, u, true, "3,9600,N,8,1:0\r\n"},
            {"letters", "COM3,9600,N,8,1:0", "", 3, u, true, "COM3,9600,N,8,1:0\r\n"},
            {"bad parity", "3,9600,Q,8,1:5", "", 3, u, true, "3,9600,Q,8,1:5\r\n"},
            {"2.5 is 2", "2.5,9600,N,8,1:0", "", 2, u, false, "2.5,9600,N,8,1:0\r\n"},
            {"3.5 is 4", "3.5,4800,E,7,2:-5", "", 4, "4800,E,7,2", true, "3.5,4800,E,7,2:-5\r\n"},
            {"disk full", "12,9600,N,8,1:0", "full", 12, u, true, UsualSettings},
            {"directory", "12,9600,N,8,1:0", "directory", 12, u, true, ""},
        });
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
        QCOMPARE(state(s).section('|', 0, 1), open ? " ﾎﾟｰﾄ=True|切断" : " ﾎﾟｰﾄ=False|接続");
        QCOMPARE(s.dir.readFile(Name), FETCHED(QByteArray, file));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(),
                 obstacle == "directory" ? 0 : 1);
        const QStringList said = s.platform.messages.shown;
        QCOMPARE(said.size(), 1);
        QCOMPARE(said[0].startsWith(Registered), obstacle.isEmpty());
        if (obstacle.isEmpty())
            return;
        // The system's reason follows on the next line, and the log names the file.
        const QString head = "「ROTEKA.DAT」に書き込めませんでした。\r\n";
        QVERIFY2(said[0].startsWith(head) && said[0].size() > head.size(), qPrintable(said[0]));
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
        s.control.choosePort(listed[0]);
        QCOMPARE(s.control.portNumberField() + s.dir.readFile(Name), "1" + UsualSettings);
        s.control.choosePort(listed[1]);
        s.control.registerSettings();
        QCOMPARE(s.dir.readFile(Name), "12,9600,N,8,1:0\r\n");
        QCOMPARE(s.platform.messages.shown, QStringList({Chosen, Chosen, Registered}));
        FakeStation failing(UsualSettings, FakeStation::StartLater);
        failing.platform.devices.fail = true;
        LogRecorder log;
        failing.control.startUp();
        QCOMPARE(state(failing) + failing.platform.messages.shown.join(""),
                 "Port = True|切断|000||初期化中|");
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
    }

    // After a report of 123, a turn to the bearing (-1: none) and a reply begun, the keys pressed
    // on a port open or closed behind the control's back: the bytes sent, the status line and
    // connect button, the commanded angle and the receive buffer.
    void presses_data() {
        const QString open = "Port = True|切断", closed = "port = False|接続",
                      kept = "port = False|切断";
        // clang-format off
        table<QString, int, QString, bool, QByteArray, QString>(
            {"keys", "bearing", "typed", "closed", "sent", "after"}, {
            {"stop takes the azimuth", "S", 200, "", false, "A\r\n", open + "|123|"},
            {"steps left wrap at 0", "<<", 15, "", false, "M360\r\nM345\r\n", open + "|345|AZ=1"},
            {"4 characters send nothing", ">", 9990, "", false, "", open + "|9645|AZ=1"},
            {"step after turn left", "L>", -1, "", false, "L\r\nM199\r\n", open + "|199|"},
            {"step after turn right", "R<", -1, "", false, "R\r\nM161\r\n", open + "|161|"},
            {"typed go-to, angle kept", "LF>", -1, "M090", false, "L\r\nM090\r\nM199\r\n", open + "|199|"},
            {"empty command", "F", -1, "", false, "\r\n", open + "|123|AZ=1"},
            {"blanks, case, UTF-8 kept", "F", -1, " v 方位 ", false, " v 方位 \r\n", open + "|123|AZ=1"},
            {"closed: turn left", "LL", 200, "", true, "", closed + "|184|"},
            {"closed: stop", "SS", 200, "", true, "", closed + "|200|"},
            {"closed: turn right", "RR", 200, "", true, "", kept + "|176|"},
            {"closed: step right", ">>", 200, "", true, "", kept + "|200|AZ=1"},
            {"closed: step left", "<<", 200, "", true, "", closed + "|200|AZ=1"},
            {"closed: free command", "FF", 200, "V", true, "", closed + "|200|AZ=1"},
            {"closed: step right, connect", ">T", 200, "", true, "", kept + "|200|AZ=1"},
        });
        // clang-format on
    }
    void presses() {
        FakeStation s;
        s.platform.serial.feed("AZ=123\r\n");
        if (const int bearing = FETCHED(int, bearing); bearing >= 0)
            s.control.turnToBearing(bearing);
        s.platform.serial.written.clear();
        s.link.setReceiveBuffer("AZ=1");
        if (FETCHED(bool, closed))
            s.platform.serial.close();
        press(s.control, FETCHED(QString, keys), FETCHED(QString, typed));
        QCOMPARE(s.platform.serial.written, FETCHED(QByteArray, sent));
        const QStringList shown = state(s).split('|');
        QCOMPARE(QStringList({shown[0], shown[1], shown[3], shown[5]}).join('|'),
                 FETCHED(QString, after));
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
    }

    // The first report, whole or after noise, becomes the commanded angle, overwriting a command
    // before it; later ones leave it, and one that changes nothing is no change; a command empties
    // a half reply; a stop before any report commands "000", which a step counts as 0.
    void reports() {
        for (const auto& [bytes, azimuth] : {std::pair{"AZ=000\r\n", "0"}, {"A\r\nAZ=450", "90"}}) {
            FakeStation s;
            s.platform.serial.feed(bytes);
            QCOMPARE(state(s), QStringLiteral("Port = True|切断|%1|%1|設定角度 ＝|").arg(azimuth));
        }
        FakeStation w;
        press(w.control, "L");
        w.platform.serial.feed("AZ=010\r\n");
        QCOMPARE(commandedAngleText(w.control.commandedAngle()), "10");
        press(w.control, "R");
        QSignalSpy azimuths(&w.control, &OperatorControl::azimuthChanged);
        w.platform.serial.feed("AZ=020\r\nAZ=020\r\nAZ=030\r\nAZ=0");
        QCOMPARE(azimuths.size(), 2);
        QCOMPARE(state(w), "Port = True|切断|30|176|設定角度 ＝|AZ=0");
        press(w.control, "S");
        w.platform.serial.feed("45\r\n");
        QCOMPARE(state(w), "Port = True|切断|30|30|設定角度 ＝|");
        QCOMPARE(w.platform.serial.written, "L\r\nR\r\nA\r\n");
        FakeStation half;
        half.platform.serial.feed("AZ=0");
        press(half.control, "S>");
        half.platform.serial.feed("45\r\n");
        QCOMPARE(state(half), "Port = True|切断|000|15|初期化中|");
        QCOMPARE(half.platform.serial.written, "A\r\nM015\r\n");
        FakeStation stopped;
        press(stopped.control, "S");
        QCOMPARE(commandedAngleText(stopped.control.commandedAngle()), "000");
    }

    // The state other code reads is typed, read through properties, and announced only when it
    // changes.
    void typedState() {
        FakeStation s;
        QSignalSpy offset(&s.control, &OperatorControl::offsetChanged);
        QSignalSpy status(&s.control, &OperatorControl::statusLineChanged);
        for (const char* text : {"10", "10.0", "abc", "0", "", "-2.5x"})
            s.control.setOffsetField(text);
        QCOMPARE(offset.size(), 4); // "10.0" is the same offset as "10", "" as "0"
        QCOMPARE(s.control.offset(), -2.5);
        QVERIFY(s.control.offsetSet());
        QCOMPARE(s.control.property("azimuth").value<std::optional<int>>(), std::nullopt);
        s.platform.serial.feed("AZ=200");
        QCOMPARE(s.control.property("azimuth").value<std::optional<int>>(), std::optional(200));
        s.platform.serial.lose();
        s.platform.serial.lose();
        QCOMPARE(status.size(), 1);
        QCOMPARE(state(s), "port = False|接続|200|200|設定角度 ＝|");
    }

    // The link alone: each report, then the end of what arrived together; the port number read as
    // the settings text writes it; line settings the open port refuses leave those in force.
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
        link.setPortNumber(" 2.5 ");
        QCOMPARE(p.serial.portNumber(), 2);
        for (const QString text : {"", "COM3", "32768", "0"})
            QVERIFY_THROWS_EXCEPTION(PlatformError, link.setPortNumber(text));
        link.setPortNumber("3");
        link.open();
        p.serial.refuseLineSettings = true;
        QVERIFY_THROWS_EXCEPTION(PlatformError, link.setLineSettings("4800,E,7,2"));
        QCOMPARE(p.serial.lineSettings(), "9600,N,8,1");
        QVERIFY(p.serial.line() == LineSettings());
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
    }
};

QTEST_MAIN(ControlTest)
#include "test_control.moc"

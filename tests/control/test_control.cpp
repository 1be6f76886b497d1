// The rotator's control on the fake platform.
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

// Keys: L turn left, S stop, R turn right, > and < steps, F a typed command, T connect.
void press(OperatorControl& c, const QString& keys) {
    for (const QChar k : keys)
        k == 'L'   ? c.turnLeft()
        : k == 'S' ? c.stop()
        : k == 'R' ? c.turnRight()
        : k == '>' ? c.stepRight()
        : k == '<' ? c.stepLeft()
        : k == 'F' ? c.sendCommand(" m090 方位 ")
                   : c.toggleConnection();
}

// The port's number and line settings, then the page's fields.
QString setup(const FakeStation& s) {
    const OperatorControl& c = s.control;
    return QString::number(s.platform.serial.portNumber()) + ' ' +
           s.platform.serial.lineSettings() + ' ' + c.portNumberField() + ',' +
           c.lineSettingsField() + ':' + c.offsetField();
}

} // namespace

class ControlTest : public QObject {
    Q_OBJECT
private slots:
    // Start-up from a settings file, the device list failing: setup, messages, page, file after.
    void startUp_data() {
        const QString u = " 9600,N,8,1 3,9600,N,8,1:";
        const QStringList none, failed{FailureReport};
        // clang-format off
        table<QByteArray, QString, QStringList, int, QByteArray>({"file", "setup", "said", "page", "after"}, {
            {"LF alone", "3,9600,N,8,1:5\n", "3" + u + "5", none, 0, "3,9600,N,8,1:5\n"},
            {"absent port", "12,4800,E,7,2:5\r\n", "12 4800,E,7,2 12,4800,E,7,2:5", failed, 0, "12,4800,E,7,2:5\r\n"},
            {"empty fields", ",:\r\n", "3" + u, none, 0, ",:\r\n"},
            {"older", "3,9600,N,8,1:x;オフ\rmore\r\n", "3" + u + "オフ", {Legacy}, 0, "3,9600,N,8,1:オフ\r\n"},
            {"older, no offset", "3,9600,N,8,1:;\r\n", "3" + u + "0", {Legacy}, 0, UsualSettings},
            {"empty file", "", "1" + u + "0", failed, 0, ""},
            {"no file", FakeStation::NoFile, "1" + u + "0", {Provisional, FailureReport}, 1, UsualSettings},
            {"a directory", FakeStation::DirectoryInstead, "1" + u + "0", failed, -1, ""},
        });
        // clang-format on
    }
    void startUp() {
        FakeStation s(FETCHED(QByteArray, file), FakeStation::StartLater);
        s.platform.devices.fail = true;
        int page = -1;
        connect(&s.control, &OperatorControl::pageChosen, this, [&](auto p) { page = p; });
        LogRecorder log;
        s.control.startUp();
        QCOMPARE(setup(s), FETCHED(QString, setup));
        const bool open = !s.platform.messages.shown.contains(FailureReport);
        QCOMPARE(state(s), open ? "Port = True|切断|000||初期化中|" : "|接続|000||初期化中|");
        QCOMPARE(s.platform.messages.shown, FETCHED(QStringList, said));
        QCOMPARE(page, FETCHED(int, page));
        QCOMPARE(s.dir.readFile(Name), FETCHED(QByteArray, after));
        QCOMPARE(log.lines.value(0),
                 "roteka.serial: listing the serial devices: device query failed");
        QCOMPARE(log.containing("roteka.control: start-up failed: ").size(), int(!open));
    }

    // Registering the fields (ports 3 and 12 open; the file kept when the disk is full).
    void registration_data() {
        const QString u = " 9600,N,8,1 ";
        // clang-format off
        table<QString, bool, QString, QString>({"typed", "full", "setup", "status"}, {
            {"2.5 is 2, offset 0", "2.5,4800,E,7,2:", false, "2 4800,E,7,2 2.5,4800,E,7,2:0", "False|接続"},
            {"disk full", "12,9600,N,8,1:0", true, "12" + u + "12,9600,N,8,1:0", "True|切断"},
        });
        // clang-format on
    }
    void registration() {
        FakeStation s;
        s.platform.serial.openablePorts = {3, 12};
        const auto f = splitSettingsLine(FETCHED(QString, typed));
        s.control.setPortNumberField(f->portNumber);
        s.control.setLineSettingsField(f->lineSettings);
        s.control.setOffsetField(f->offset);
        const bool full = FETCHED(bool, full);
        std::optional<FileSizeLimit> limit;
        if (full)
            limit.emplace();
        LogRecorder log;
        s.control.registerSettings();
        limit.reset();
        QCOMPARE(setup(s), FETCHED(QString, setup));
        QCOMPARE(state(s).section('|', 0, 1), " ﾎﾟｰﾄ=" + FETCHED(QString, status));
        QCOMPARE(s.dir.readFile(Name),
                 full ? UsualSettings : setup(s).section(' ', 2).toUtf8() + "\r\n");
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(), 1);
        const QString said = s.platform.messages.shown.join('#');
        const QString head = "「ROTEKA.DAT」に書き込めませんでした。\r\n"; // then the reason
        QCOMPARE(said.left(full ? head.size() : -1), full ? head : Registered);
        QVERIFY2(!full || said.size() > head.size(), "the reason follows");
        QCOMPARE(log.containing("roteka.settings: registering the settings: ROTEKA.DAT: ").size(),
                 int(full));
    }

    // The device list without empty names; a choice fills the field and says so.
    void listAndPick() {
        FakeStation s(UsualSettings, FakeStation::StartLater);
        s.platform.devices.names = {"A (COM1)", "", "USB Serial Port (COM12)"};
        QSignalSpy listed(&s.control, &OperatorControl::portListFound);
        s.control.startUp();
        QCOMPARE(listed[0][0].toStringList(), QStringList({"A (COM1)", "USB Serial Port (COM12)"}));
        s.control.choosePort("USB Serial Port (COM12)");
        QCOMPARE(s.control.portNumberField() + s.dir.readFile(Name), "12" + UsualSettings);
        QCOMPARE(s.platform.messages.shown, QStringList{Chosen});
    }

    // Keys, bytes from the controller (A..., digits), a turn (@), the port closed behind the
    // control's back, held by another program or free: the state, the bytes sent, any message.
    void operation_data() {
        const QString on = "Port = True|切断|", off = "port = False|接続|",
                      kept = "port = False|切断|";
        // clang-format off
        table<QString, QString>({"steps", "after"}, {
            {"first report after noise", "A\r\nAZ=000\r\n", on + "0|0|設定角度 ＝||"},
            {"later reports", "L AZ=010\r\n R AZ=020\r\nAZ=030\r\n", on + "30|176|設定角度 ＝||L\r\nR\r\n"},
            {"stop takes the azimuth", "AZ=123\r\n @200 S", on + "123|123|設定角度 ＝||M200\r\nA\r\n"},
            {"stop before any report", "AZ=0 S 45\r\n", on + "000|000|初期化中||A\r\n"},
            {"steps, typed", "LF>R<", on + "000|161|初期化中||L\r\n m090 方位 \r\nM199\r\nR\r\nM161\r\n"},
            {"4 characters send nothing", "@9990 >", on + "000|9645|初期化中||"},
            {"closed: turn left", "AZ=1 close L", off + "000|184|初期化中||"},
            {"closed: stop", "@200 AZ=1 close S", off + "000|200|初期化中||M200\r\n"},
            {"closed: step left", "@200 AZ=1 close <", off + "000|200|初期化中|AZ=1|M200\r\n"},
            {"closed: typed", "AZ=1 close F", off + "000||初期化中|AZ=1|"},
            {"closed: turn right, step, connect", "@200 close R>T", kept + "000|176|初期化中||M200\r\n"},
            {"disconnect", "T", "Port を切断しました。False|接続|000||初期化中||"},
            {"held port", "T hold TT", "Port = False|切断|000||初期化中||"},
            {"stop, connect again", "T hold TT free ST AZ=042\r\n", on + "42|42|設定角度 ＝||"},
        });
        // clang-format on
    }
    void operation() {
        FakeStation s;
        FakeSerialPort& port = s.platform.serial;
        for (const QString& step : FETCHED(QString, steps).split(' ')) {
            if (step[0] == 'A' || step[0].isDigit())
                port.feed(step.toUtf8());
            else if (step[0] == '@')
                s.control.turnToBearing(step.mid(1).toInt());
            else if (step == "close")
                port.close();
            else if (step == "hold" || step == "free")
                port.openablePorts = step == "hold" ? QList<int>() : QList{3};
            else
                press(s.control, step);
        }
        QCOMPARE(state(s) + '|' + port.written + s.platform.messages.shown.join(""),
                 FETCHED(QString, after));
    }

    // A failing write or open is carried on past and logged with the action, port and reason.
    void failuresAreLogged() {
        FakeStation s;
        s.platform.serial.failWrites = true;
        s.platform.serial.openablePorts = {};
        LogRecorder log;
        press(s.control, "LS>F");
        QCOMPARE(s.control.turnToBearing(90), OperatorControl::Outcome::PortClosed);
        press(s.control, "TT");
        QStringList expected;
        for (const char* doing : {"turning left", "stopping", "stepping right", "sending a command",
                                  "turning to a bearing"})
            expected << u"roteka.serial: %1: COM3: write failed"_s.arg(doing);
        expected << "roteka.serial: connecting: COM3: cannot open";
        QCOMPARE(log.lines, expected);
    }

    // Offset, status and azimuth are typed and announced only when they change.
    void typedState() {
        FakeStation s;
        QSignalSpy offset(&s.control, &OperatorControl::offsetChanged);
        QSignalSpy status(&s.control, &OperatorControl::statusLineChanged);
        QSignalSpy azimuth(&s.control, &OperatorControl::azimuthChanged);
        for (const char* text : {"10", "10.0", "abc", "0", "", "-2.5x"})
            s.control.setOffsetField(text);
        s.platform.serial.feed("AZ=200\r\nAZ=200");
        s.platform.serial.lose();
        s.platform.serial.lose();
        QCOMPARE(QList({offset.size(), status.size(), azimuth.size()}),
                 QList<qsizetype>({4, 1, 1}));
        QCOMPARE(s.control.offset(), -2.5);
        QCOMPARE(s.control.property("azimuth").value<std::optional<int>>(), std::optional(200));
        QCOMPARE(state(s), "port = False|接続|200|200|設定角度 ＝|"); // a lost port offers connect
    }

    // Line settings the open port refuses leave the old ones in force.
    void link() {
        FakePlatform p;
        ControllerLink link(p.serial);
        link.setPortNumber("3");
        link.open();
        p.serial.refuseLineSettings = true;
        QVERIFY_THROWS_EXCEPTION(PlatformError, link.setLineSettings("4800,E,7,2"));
        QCOMPARE(p.serial.lineSettings(), "9600,N,8,1");
        QVERIFY(p.serial.line() == LineSettings());
    }

    // Other programs' requests: a burst of turns sends the first, then the newest an interval
    // later; a stop drops a turn waiting.
    void remoteRequests() {
        using Outcome = RemoteRequests::Outcome;
        FakeStation s;
        auto& sent = s.platform.serial.written;
        s.platform.serial.feed("AZ=030");
        s.control.setOffsetField("40");
        QCOMPARE(s.requests.azimuthLessOffset(), std::optional(350.0));
        QCOMPARE(s.requests.turnTo(10), Outcome::Done);
        s.requests.turn(-1);
        QElapsedTimer clock;
        clock.start();
        for (int bearing = 100; bearing < 200; ++bearing)
            s.requests.turnSoon(bearing);
        QCOMPARE(sent, "M050\r\nL\r\nM140\r\n");
        QVERIFY(waitFor([&] { return sent.size() > 15; }, 1000));
        QCOMPARE_GE(clock.elapsed(), RemoteRequests::MinTurnIntervalMs - 1);
        s.requests.turnSoon(300);
        QCOMPARE(s.requests.stop(), Outcome::Done);
        QTest::qWait(2 * RemoteRequests::MinTurnIntervalMs);
        QCOMPARE(sent, "M050\r\nL\r\nM140\r\nM239\r\nA\r\n");
        s.platform.serial.close();
        QCOMPARE(s.requests.azimuthLessOffset(), std::nullopt);
        QCOMPARE(s.requests.turnTo(10), Outcome::PortClosed);
        QCOMPARE(s.requests.stop(), Outcome::PortClosed);
    }
};

QTEST_MAIN(ControlTest)
#include "test_control.moc"

// The rotator control on the fake platform.
#include "Stations.h"

#include "rules/SettingsLine.h"

#include <cstring>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString Name = "ROTEKA.DAT";
const QByteArray File = "3,9600,N,8,1:0\r\n";
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

// Messages by letter: P provisional file, F failure, L older form, C port chosen, R registered.
QStringList messages(const QString& codes) {
    QStringList shown;
    for (const QChar c : codes)
        shown += QStringList{Provisional, FailureReport, Legacy, Chosen, Registered}.at(
            QString("PFLCR").indexOf(c));
    return shown;
}

// state(), captions as letters: C connect or D disconnect; I first reply awaited, S taken.
QString st(const RotatorControl& c) {
    return QStringList{c.statusLine(),     c.offersConnect() ? "C" : "D",     c.azimuth(),
                       c.commandedAngle(), c.waitingFirstValue() ? "I" : "S", c.receiveBuffer()}
        .join('|');
}

// A table's text, "*" for the usual line settings; "" for the text given as none.
QByteArray x(const char* text, const char* none = "") {
    return strcmp(text, none) ? QByteArray(text).replace('*', "9600,N,8,1") : "";
}

// Port number and line settings|fields as a line|status line|C or D.
QString setup(const RotatorControl& c, const SerialPort& port) {
    return QString::number(port.portNumber()) + ' ' + port.lineSettings() + '|' +
           buildSettingsLine(c.portNumberField(), c.lineSettingsField(), c.offsetField()) + '|' +
           c.statusLine() + '|' + (c.offersConnect() ? 'C' : 'D');
}

// Started or not, in a test directory with the settings file ("-": none; "/": a directory).
struct Station {
    explicit Station(bool start = true, const QByteArray& file = File) {
        file == "/" ? void(QDir().mkdir(Name)) : file == "-" ? void() : dir.writeFile(Name, file);
        if (start)
            c.startUp();
    }
    TestDirectory dir;
    FakePlatform p;
    FakeSerialPort& port = p.serial;
    QStringList& said = p.messages.shown;
    RotatorControl c{port, p.devices, p.messages};
};

// L turn left, S stop, R turn right, > step right, < step left, F free command, T connect button.
void press(RotatorControl& c, const QString& keys, const QString& typed = {}) {
    for (const QChar k : keys)
        k == 'L'   ? c.turnLeft()
        : k == 'S' ? c.stop()
        : k == 'R' ? c.turnRight()
        : k == '>' ? c.stepRight()
        : k == '<' ? c.stepLeft()
        : k == 'F' ? c.sendCommand(typed)
                   : c.toggleConnection();
}

// Unless the bearing is empty, a reply of 123 and a turn to the bearing; then a reply begun.
void prepare(Station& s, const QString& bearing) {
    if (!bearing.isEmpty()) {
        s.port.feed("AZ=123\r\n");
        s.c.turnToBearing(bearing.toDouble());
    }
    s.port.written.clear();
    s.c.setReceiveBuffer("AZ=1");
}

} // namespace

class ControlTest : public QObject {
    Q_OBJECT
private slots:
    // The setup and what a turn to 90 degrees sends; the messages; after P or L the file holds the
    // fields; the settings page shows when the file was missing.
    void startUp() {
        // clang-format off
        for (const auto& [file, shown, codes] : {std::array<const char*, 3>
                 {"3,*:5\r\n", "3 *|3,*:5|Port = True|D|M095", ""}, {"3,*:5\n", "3 *|3,*:5|Port = True|D|M095", ""},
                 {"12,4800,E,7,2:-5\r\n", "12 4800,E,7,2|12,4800,E,7,2:-5||C|", "F"},
                 {",:\r\n", "3 *|3,*:|Port = True|D|M090", ""}, {"\r\n3,*:0\r\n", "1 *|3,*:0||C|", "F"},
                 {"3,*:x;オフ\rmore\r\n", "3 *|3,*:オフ|Port = True|D|M090", "L"},
                 {"3,*:;\r\n", "3 *|3,*:0|Port = True|D|M090", "L"},
                 {"3,9600,X,8,1:0\r\n", "3 *|3,9600,X,8,1:0||C|", "F"},
                 {"40000,*:0\r\n", "1 *|40000,*:0||C|", "F"},
                 {"", "1 *|3,*:0||C|", "F"}, {"-", "1 *|3,*:0||C|", "PF"}, {"/", "1 *|3,*:0||C|", "F"}}) {
            // clang-format on
            Station s(false, x(file));
            int page = 0;
            connect(&s.c, &RotatorControl::pageChosen, [&](auto chosen) { page = chosen; });
            s.c.startUp();
            const QString got = setup(s.c, s.port);
            s.c.turnToBearing(90);
            QVERIFY2(got + '|' + s.port.written.trimmed() == x(shown), qPrintable(got));
            QVERIFY2(s.said == messages(codes) && page == !strcmp(file, "-"), shown);
            const QByteArray line = x(shown).split('|')[1] + "\r\n";
            QVERIFY2(s.dir.readFile(Name) == (strpbrk(codes, "PL") ? line : x(file, "/")), shown);
        }
    }

    // Fields typed as a line ("!": the file cannot be written; "/": a directory in its place),
    // ports 3, 4, 12 opening: the setup; the file holds the fields or what it held; a failure is
    // told with its reason.
    void registration() {
        // clang-format off
        for (const auto& [typed, shown] : {std::array<const char*, 2>
                 {"3,*:", "3 *|3,*:0| ﾎﾟｰﾄ=True|D"}, {"COM3,*:0", "3 *|COM3,*:0| ﾎﾟｰﾄ=True|D"},
                 {"3,9600,Q,8,1:5", "3 *|3,9600,Q,8,1:5| ﾎﾟｰﾄ=True|D"},
                 {"2.5,*:0", "2 *|2.5,*:0| ﾎﾟｰﾄ=False|C"},
                 {"3.5,4800,E,7,2:-5", "4 4800,E,7,2|3.5,4800,E,7,2:-5| ﾎﾟｰﾄ=True|D"},
                 {"!12,*:0", "12 *|12,*:0| ﾎﾟｰﾄ=True|D"}, {"/12,*:0", "12 *|12,*:0| ﾎﾟｰﾄ=True|D"}}) {
            // clang-format on
            Station s;
            s.port.openablePorts = {3, 4, 12};
            const bool full = typed[0] == '!', dir = typed[0] == '/';
            const auto fields = splitSettingsLine(x(typed + (full || dir)));
            s.c.setPortNumberField(fields->portNumber);
            s.c.setLineSettingsField(fields->lineSettings);
            s.c.setOffsetField(fields->offset);
            if (dir)
                QVERIFY(QFile::remove(Name) && QDir().mkdir(Name));
            std::optional<FileSizeLimit> limit;
            if (full)
                limit.emplace();
            s.c.registerSettings();
            limit.reset();
            QVERIFY2(setup(s.c, s.port) == x(shown), shown);
            const QByteArray line = x(shown).split('|')[1] + "\r\n";
            QVERIFY2(s.dir.readFile(Name) == (dir ? "" : full ? File : line), shown);
            QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList(!dir, Name));
            const QString said = s.said.join('#'),
                          head = "「" + Name + "」に書き込めませんでした。\r\n";
            QVERIFY2(full || dir ? said.startsWith(head) && said != head && !said.contains('#')
                                 : said == Registered,
                     shown);
        }
    }

    // Empty names left out; a choice fills the field, says so, and counts once registered; a
    // failing listing changes nothing.
    void listAndPick() {
        Station s(false);
        const QStringList names{"Communications Port (COM1)", "", "USB Serial Port (COM12)"};
        s.port.openablePorts = {3, 12};
        s.p.devices.names = names;
        QStringList listed;
        connect(&s.c, &RotatorControl::portListFound, [&](auto found) { listed = found; });
        s.c.startUp();
        QCOMPARE(listed, QStringList({names[0], names[2]}));
        QSignalSpy fields(&s.c, &RotatorControl::settingsFieldsChanged);
        s.c.choosePort(listed[0]);
        QCOMPARE(s.c.portNumberField() + QString::number(fields.size()), "11");
        QCOMPARE(s.dir.readFile(Name), File);
        QCOMPARE(st(s.c) + QString::number(s.port.portNumber()), "Port = True|D|000||I|3");
        s.c.choosePort(listed[1]);
        s.c.registerSettings();
        QCOMPARE(s.dir.readFile(Name), "12,9600,N,8,1:0\r\n");
        QCOMPARE(s.said, messages("CCR"));
        Station failing(false);
        failing.p.devices.fail = true;
        failing.c.startUp();
        QCOMPARE(st(failing.c) + failing.said.join(""), "Port = True|D|000||I|");
    }

    // The status line tells the truth when the port stays closed (held by another program).
    void connectAndDisconnect() {
        Station s;
        press(s.c, "T");
        QCOMPARE(st(s.c), "Port を切断しました。False|C|000||I|");
        s.port.openablePorts = {};
        press(s.c, "TT");
        QCOMPARE(st(s.c), "Port = False|D|000||I|");
        s.port.openablePorts = {3};
        press(s.c, "ST");
        s.port.feed("AZ=042\r\n");
        QCOMPARE(st(s.c) + s.said.join(""), "Port = True|D|42|42|S|");
    }

    // The port closed behind the control's back, disconnect offered: nothing is written or said;
    // the connect button acts on its offer.
    void closedPort() {
        for (const auto& [keys, offer, angle, buffer] :
             {std::array<const char*, 4>{"LL", "C", "184", ""},
              {"SS", "C", "200", ""},
              {"RR", "D", "176", ""},
              {">>", "D", "200", "AZ=1"},
              {"<<", "C", "200", "AZ=1"},
              {"FF", "C", "200", "AZ=1"},
              {">T", "D", "200", "AZ=1"}}) {
            Station s;
            prepare(s, "200");
            s.port.close();
            press(s.c, keys, "V");
            const QString shown = QString("port = False|%1|123|%2|S|%3").arg(offer, angle, buffer);
            QVERIFY2(st(s.c) == shown && !s.port.isOpen(), keys);
            QVERIFY(s.port.written.isEmpty() && s.said.isEmpty());
        }
    }

    // Presses after prepare(), a free command typed: the bytes, angle and buffer.
    void presses() {
        // clang-format off
        for (const auto& [keys, bearing, typed, bytes, after] : {std::array<const char*, 5>
                 {"S", "200", "", "A\r\n", "123|"}, {"<<", "15", "", "M360\r\nM345\r\n", "345|AZ=1"},
                 {">", "9990", "", "", "9645|AZ=1"}, {"L>", "", "", "L\r\nM199\r\n", "199|"},
                 {"R<", "", "", "R\r\nM161\r\n", "161|"}, {"LLRR", "", "", "L\r\nL\r\nR\r\nR\r\n", "176|"},
                 {"LF>", "", "M090", "L\r\nM090\r\nM199\r\n", "199|"}, {"F", "", "", "\r\n", "|AZ=1"},
                 {"F", "", "  v x ", "  v x \r\n", "|AZ=1"}, {"F", "", "方位M090", "方位M090\r\n", "|AZ=1"}}) {
            // clang-format on
            Station s;
            prepare(s, bearing);
            press(s.c, keys, typed);
            QVERIFY2(s.c.commandedAngle() + '|' + s.c.receiveBuffer() == after, keys);
            QVERIFY2(s.port.written == bytes && st(s.c).startsWith("Port = True|D|") &&
                         s.said.isEmpty(),
                     keys);
        }
    }

    // The first reply, whole or after noise, becomes the commanded angle, overwriting a command
    // before it; later ones leave it; a command empties a half reply.
    void replies() {
        for (const auto& [bytes, az] : {std::array<const char*, 2>{"AZ=090", "90"},
                                        {"AZ=000\r\n", "0"},
                                        {"A\r\nAZ=045\r\n", "45"},
                                        {"AZ=450", "90"}}) {
            Station s;
            s.port.feed(bytes);
            QCOMPARE(st(s.c) + s.port.written, QString("Port = True|D|%1|%1|S|").arg(az));
        }
        Station w;
        press(w.c, "L");
        w.port.feed("AZ=010\r\n");
        QCOMPARE(w.c.commandedAngle(), "10");
        press(w.c, "R");
        w.port.feed("AZ=020\r\nAZ=030\r\nAZ=0");
        QCOMPARE(st(w.c), "Port = True|D|30|176|S|AZ=0");
        press(w.c, "S");
        w.port.feed("45\r\n");
        QCOMPARE(st(w.c) + w.port.written, "Port = True|D|30|30|S|L\r\nR\r\nA\r\n");
        Station half;
        half.port.feed("AZ=0");
        press(half.c, "S");
        half.port.feed("45\r\n");
        QCOMPARE(st(half.c), "Port = True|D|000|000|I|");
    }
};

QTEST_MAIN(ControlTest)
#include "test_control.moc"

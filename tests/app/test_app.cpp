// Start-up and settings registration: the settings file (read whatever ends its line, written
// whole or not at all), the serial link, the texts, the page shown and the messages afterwards,
// on the fake platform and on a real pseudo-terminal.
#include "Stations.h"

#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString Name = QStringLiteral("ROTEKA.DAT");
const QString Provisional = QStringLiteral(
    "「ROTEKA."
    "DAT」が有りませんでしたので新たに暫定データを作成しました。\r\n（コムポート＝３）\r\n\r\n"
    "表示の環境設定ページを修正し登録してください。\r\n変更登録後は再起動が必要です。");
const QString Legacy =
    QStringLiteral("旧システムでの環境設定のため、「ROTEKA."
                   "DAT」を新バージョン用に変更しましたので再確認してください。");

// Messages as letters: P provisional, F failure, L legacy.
QStringList messages(const QString& codes) {
    QStringList shown;
    for (const QChar code : codes)
        shown.append(code == u'P' ? Provisional : code == u'F' ? FailureReport : Legacy);
    return shown;
}

// The port's number and settings, the settings texts, the status line, the connect caption and
// the page shown.
QString setup(const SerialPort& port, const Form1& form) {
    return QStringLiteral("%1 %2|%3|%4|%5|%6|%7|%8")
        .arg(QString::number(port.commPort()), port.settings(), form.Text1->text(),
             form.Text2->text(), form.Text5->text(), form.Label1->text(), form.Command6->text(),
             QString::number(form.SSTab1->currentIndex()));
}

} // namespace

class AppTest : public QObject {
    Q_OBJECT
private slots:
    // A settings file (none, "<none>"; a directory in its place, "<dir>"): the port's number and
    // settings, the settings texts, status line, connect caption and page shown, the messages
    // and the file afterwards (as it was when none is given).
    void startup() {
        // clang-format off
        for (const auto& [name, file, shown, codes, after] : std::initializer_list<std::tuple<const char*, QByteArray, const char*, const char*, QByteArray>>{
            {"current form", QByteArray("3,9600,N,8,1:0\r\n"), "3 9600,N,8,1|3|9600,N,8,1|0|Port = True|切断|0", "", QByteArray()},
            {"port absent", QByteArray("12,4800,E,7,2:-5\r\n"), "12 4800,E,7,2|12|4800,E,7,2|-5||接続|0", "F", QByteArray()},
            {"no port number", QByteArray(",9600,N,8,1:0\r\n"), "3 9600,N,8,1|3|9600,N,8,1|0|Port = True|切断|0", "", QByteArray()},
            {"no line settings", QByteArray("3,:10\r\n"), "3 9600,N,8,1|3|9600,N,8,1|10|Port = True|切断|0", "", QByteArray()},
            {"empty offset", QByteArray("3,9600,N,8,1:\r\n"), "3 9600,N,8,1|3|9600,N,8,1||Port = True|切断|0", "", QByteArray()},
            {"no colon", QByteArray("3,9600,N,8,1\r\n"), "1 9600,N,8,1|3|9600,N,8,1|0||接続|0", "F", QByteArray()},
            {"no comma", QByteArray("3\r\n"), "1 9600,N,8,1|3|9600,N,8,1|0||接続|0", "F", QByteArray()},
            {"colon before comma", QByteArray(":3,9600\r\n"), "1 9600,N,8,1|3|9600,N,8,1|0||接続|0", "F", QByteArray()},
            {"legacy, a second line", QByteArray("3,9600,N,8,1:x;7\r\nmore\r\n"), "3 9600,N,8,1|3|9600,N,8,1|7|Port = True|切断|0", "L", QByteArray("3,9600,N,8,1:7\r\n")},
            {"CR alone, UTF-8 kept", QByteArray("3,9600,N,8,1:オフ\rrest"), "3 9600,N,8,1|3|9600,N,8,1|オフ|Port = True|切断|0", "", QByteArray()},
            {"empty first line", QByteArray("\r\n3,9600,N,8,1:0\r\n"), "1 9600,N,8,1|3|9600,N,8,1|0||接続|0", "F", QByteArray()},
            {"legacy, empty offset", QByteArray("3,9600,N,8,1:;\r\n"), "3 9600,N,8,1|3|9600,N,8,1|0|Port = True|切断|0", "L", QByteArray("3,9600,N,8,1:0\r\n")},
            {"refused line settings", QByteArray("3,9600,X,8,1:0\r\n"), "3 9600,N,8,1|3|9600,X,8,1|0||接続|0", "F", QByteArray()},
            {"3.4 rounds to 3", QByteArray("3.4,9600,N,8,1:0\r\n"), "3 9600,N,8,1|3.4|9600,N,8,1|0|Port = True|切断|0", "", QByteArray()},
            {"beyond 16 bits", QByteArray("40000,9600,N,8,1:0\r\n"), "1 9600,N,8,1|40000|9600,N,8,1|0||接続|0", "F", QByteArray()},
            {"empty file", QByteArray(""), "1 9600,N,8,1|3|9600,N,8,1|0||接続|0", "F", QByteArray()},
            {"no file", QByteArray("<none>"), "1 9600,N,8,1|3|9600,N,8,1|0||接続|1", "PF", QByteArray("3,9600,N,8,1:0\r\n")},
            {"a directory in its place", QByteArray("<dir>"), "1 9600,N,8,1|3|9600,N,8,1|0||接続|0", "F", QByteArray()},
        }) {
            // clang-format on
            TestDirectory dir;
            file == "<dir>"    ? void(QDir().mkdir(Name))
            : file == "<none>" ? void()
                               : dir.writeFile(Name, file);
            FakePlatform platform;
            Form1 form(platform.services());
            form.Form_Load();
            QVERIFY2(setup(platform.serial, form) == shown &&
                         platform.messages.shown == messages(codes),
                     name);
            QVERIFY2(dir.readFile(Name) == (after.isNull() && file != "<dir>" ? file : after),
                     name);
            QCOMPARE(form.Label4->text() + form.Label5->text(), "000");
        }
    }

    // On the real serial service: the port opens and the first reply shows, or the report says
    // why not (no such device, a device held by another program), or an old line is converted.
    void startupOnAPseudoTerminal() {
        // clang-format off
        for (const auto& [name, file, held, codes, after, shown] : std::initializer_list<std::tuple<const char*, QByteArray, bool, const char*, QByteArray, const char*>>{
            {"opens", QByteArray("7,9600,N,8,1:0\r\n"), false, "", QByteArray(), "Port = True|切断|123|123|設定角度 ＝|"},
            {"no such device", QByteArray("160,9600,N,8,1:4\r\n"), false, "F", QByteArray(), "|接続|000||初期化中|"},
            {"held by another program", QByteArray("7,9600,N,8,1:0\r\n"), true, "F", QByteArray(), "|接続|000||初期化中|"},
            {"legacy line", QByteArray("7,9600,N,8,1:old;-3\r\n"), false, "L", QByteArray("7,9600,N,8,1:-3\r\n"), "Port = True|切断|123|123|設定角度 ＝|"},
        }) {
            // clang-format on
            BoundController link(7);
            link.dir.writeFile(Name, file);
            const int holder =
                ::open(QFile::encodeName(link.controller->slavePath()), O_RDWR | O_NOCTTY);
            QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
            RealWindow window;
            window.form->Form_Load();
            QVERIFY2(window.messages.shown == messages(codes) &&
                         link.dir.readFile(Name) == (after.isNull() ? file : after),
                     name);
            link.controller->write("AZ=123\r\n");
            QTRY_COMPARE(state(*window.form), shown);
            ::close(holder);
        }
    }

    // Typed port number, line settings and offset (ports 3, 4 and 12 open; "!" before the port
    // number: the file cannot be written, "!!": a directory stands in its place): the file, the
    // port's number and settings, the texts and status line afterwards, and the message.
    void registration() {
        // clang-format off
        for (const auto& [name, typed, file, shown] : std::initializer_list<std::tuple<const char*, QStringList, QByteArray, const char*>>{
            {"no changes", QStringList{"3", "9600,N,8,1", "0"}, QByteArray("3,9600,N,8,1:0\r\n"), "3 9600,N,8,1|3|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0"},
            {"empty offset becomes 0", QStringList{"3", "9600,N,8,1", ""}, QByteArray("3,9600,N,8,1:0\r\n"), "3 9600,N,8,1|3|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0"},
            {"absent port", QStringList{"7", "9600,N,8,1", "0"}, QByteArray("7,9600,N,8,1:0\r\n"), "7 9600,N,8,1|7|9600,N,8,1|0| ﾎﾟｰﾄ=False|接続|0"},
            {"letters keep the port", QStringList{"COM3", "9600,N,8,1", "0"}, QByteArray("COM3,9600,N,8,1:0\r\n"), "3 9600,N,8,1|COM3|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0"},
            {"refused line settings", QStringList{"3", "9600,Q,8,1", "5"}, QByteArray("3,9600,Q,8,1:5\r\n"), "3 9600,N,8,1|3|9600,Q,8,1|5| ﾎﾟｰﾄ=True|切断|0"},
            {"3.5 opens port 4", QStringList{"3.5", "4800,E,7,2", "-5"}, QByteArray("3.5,4800,E,7,2:-5\r\n"), "4 4800,E,7,2|3.5|4800,E,7,2|-5| ﾎﾟｰﾄ=True|切断|0"},
            {"2.5 tries port 2", QStringList{"2.5", "9600,N,8,1", "0"}, QByteArray("2.5,9600,N,8,1:0\r\n"), "2 9600,N,8,1|2.5|9600,N,8,1|0| ﾎﾟｰﾄ=False|接続|0"},
            {"write cut short", {"!12", "9600,N,8,1", "0"}, QByteArray("3,9600,N,8,1:0\r\n"), "12 9600,N,8,1|12|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0"},
            {"a directory in its place", {"!!12", "9600,N,8,1", "0"}, QByteArray(), "12 9600,N,8,1|12|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0"}}) {
            // clang-format on
            FakeStation station("3,9600,N,8,1:0\r\n", [](FakePlatform& p) {
                p.serial.openablePorts = {3, 4, 12};
            });
            Form1& form = station.form;
            const QString number = QString(typed[0]).remove('!');
            form.Text1->setText(number);
            form.Text2->setText(typed[1]);
            form.Text5->setText(typed[2]);
            if (typed[0].startsWith("!!"))
                QVERIFY(QFile::remove(Name) && QDir().mkdir(Name));
            std::optional<FileSizeLimit> limit;
            if (typed[0] == "!" + number)
                limit.emplace();
            form.Command8->click();
            limit.reset();
            QVERIFY2(station.dir.readFile(Name) == file &&
                         setup(station.platform.serial, form) == shown,
                     name);
            QVERIFY2(QStringList({form.PortNumberText, form.PortSettingsText}) ==
                         QStringList({number, typed[1]}),
                     name);
            QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden),
                     QStringList(file.isNull() ? 0 : 1, Name));
            // The reason a write failed is shown instead of the success message.
            const QString head = QStringLiteral("「ROTEKA.DAT」に書き込めませんでした。\r\n");
            const QStringList& said = station.platform.messages.shown;
            QVERIFY2(typed[0].startsWith('!') ? said.size() == 1 && said[0].startsWith(head) &&
                                                    said[0].size() > head.size()
                                              : said == QStringList{Registered},
                     name);
        }
    }
};

QTEST_MAIN(AppTest)
#include "test_app.moc"

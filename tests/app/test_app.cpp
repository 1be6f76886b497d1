// Start-up and settings registration: the settings file (read whatever ends its line, written
// whole or not at all), the serial link, the texts, the page shown and the messages afterwards,
// on the fake platform and on a real pseudo-terminal.
#include "Stations.h"

#include <fcntl.h>
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
    // "<none>" and "<dir>" stand for no settings file and a directory in its place; an empty
    // "after" for a file left as it was.
    void startup_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QByteArray>("after");
        // clang-format off
        QTest::newRow("current form") << QByteArray("3,9600,N,8,1:0\r\n") << "3 9600,N,8,1|3|9600,N,8,1|0|Port = True|切断|0" << "" << QByteArray();
        QTest::newRow("port absent") << QByteArray("12,4800,E,7,2:-5\r\n") << "12 4800,E,7,2|12|4800,E,7,2|-5||接続|0" << "F" << QByteArray();
        QTest::newRow("no port number") << QByteArray(",9600,N,8,1:0\r\n") << "3 9600,N,8,1|3|9600,N,8,1|0|Port = True|切断|0" << "" << QByteArray();
        QTest::newRow("no line settings") << QByteArray("3,:10\r\n") << "3 9600,N,8,1|3|9600,N,8,1|10|Port = True|切断|0" << "" << QByteArray();
        QTest::newRow("empty offset") << QByteArray("3,9600,N,8,1:\r\n") << "3 9600,N,8,1|3|9600,N,8,1||Port = True|切断|0" << "" << QByteArray();
        QTest::newRow("no colon") << QByteArray("3,9600,N,8,1\r\n") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("no comma") << QByteArray("3\r\n") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("colon before comma") << QByteArray(":3,9600\r\n") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("legacy, a second line") << QByteArray("3,9600,N,8,1:x;7\r\nmore\r\n") << "3 9600,N,8,1|3|9600,N,8,1|7|Port = True|切断|0" << "L" << QByteArray("3,9600,N,8,1:7\r\n");
        QTest::newRow("CR alone, UTF-8 kept") << QByteArray("3,9600,N,8,1:オフ\rrest") << "3 9600,N,8,1|3|9600,N,8,1|オフ|Port = True|切断|0" << "" << QByteArray();
        QTest::newRow("empty first line") << QByteArray("\r\n3,9600,N,8,1:0\r\n") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("legacy, empty offset") << QByteArray("3,9600,N,8,1:;\r\n") << "3 9600,N,8,1|3|9600,N,8,1|0|Port = True|切断|0" << "L" << QByteArray("3,9600,N,8,1:0\r\n");
        QTest::newRow("refused line settings") << QByteArray("3,9600,X,8,1:0\r\n") << "3 9600,N,8,1|3|9600,X,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("3.4 rounds to 3") << QByteArray("3.4,9600,N,8,1:0\r\n") << "3 9600,N,8,1|3.4|9600,N,8,1|0|Port = True|切断|0" << "" << QByteArray();
        QTest::newRow("beyond 16 bits") << QByteArray("40000,9600,N,8,1:0\r\n") << "1 9600,N,8,1|40000|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("empty file") << QByteArray("") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        QTest::newRow("no file") << QByteArray("<none>") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|1" << "PF" << QByteArray("3,9600,N,8,1:0\r\n");
        QTest::newRow("a directory in its place") << QByteArray("<dir>") << "1 9600,N,8,1|3|9600,N,8,1|0||接続|0" << "F" << QByteArray();
        // clang-format on
    }
    void startup() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, after);
        QFETCH(QString, messages);
        TestDirectory dir;
        file == "<dir>"    ? void(QDir().mkdir(Name))
        : file == "<none>" ? void()
                           : dir.writeFile(Name, file);
        FakePlatform platform;
        Form1 form(platform.services());
        form.Form_Load();
        QTEST(setup(platform.serial, form), "setup");
        QCOMPARE(platform.messages.shown, ::messages(messages));
        QCOMPARE(dir.readFile(Name), after.isNull() && file != "<dir>" ? file : after);
        QCOMPARE(form.Label4->text() + form.Label5->text(), "000");
        // The settings page's port drop-down, ready to be typed in once the page is shown.
        form.SSTab1->setCurrentIndex(1);
        form.show();
        QVERIFY(form.Combo1->isEditable());
        QCOMPARE(form.Combo1->currentText(), QStringLiteral("コムポート選択"));
    }

    // On the real serial service: the port opens and the first reply shows, or the report says
    // why not (no such device, a device held by another program), or an old line is converted.
    void startupOnAPseudoTerminal_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("opens") << QByteArray("7,9600,N,8,1:0\r\n") << false << "" << QByteArray() << "Port = True|切断|123|123|設定角度 ＝|";
        QTest::newRow("no such device") << QByteArray("160,9600,N,8,1:4\r\n") << false << "F" << QByteArray() << "|接続|000||初期化中|";
        QTest::newRow("held by another program") << QByteArray("7,9600,N,8,1:0\r\n") << true << "F" << QByteArray() << "|接続|000||初期化中|";
        QTest::newRow("legacy line") << QByteArray("7,9600,N,8,1:old;-3\r\n") << false << "L" << QByteArray("7,9600,N,8,1:-3\r\n") << "Port = True|切断|123|123|設定角度 ＝|";
        // clang-format on
    }
    void startupOnAPseudoTerminal() {
        QFETCH(QByteArray, file);
        QFETCH(QString, messages);
        QFETCH(QByteArray, after);
        QFETCH(QString, shown);
        BoundController link(7);
        link.dir.writeFile(Name, file);
        QFETCH(bool, held);
        const int holder =
            ::open(QFile::encodeName(link.controller->slavePath()), O_RDWR | O_NOCTTY);
        QVERIFY(!held || ::flock(holder, LOCK_EX | LOCK_NB) == 0);
        RealWindow window;
        window.form->Form_Load();
        QCOMPARE(window.messages.shown, ::messages(messages));
        QCOMPARE(link.dir.readFile(Name), after.isNull() ? file : after);
        link.controller->write("AZ=123\r\n");
        QTRY_COMPARE(state(*window.form), shown);
        ::close(holder);
    }

    // Typed port number, line settings and offset: the file, the port's number and settings,
    // the status line and the texts afterwards; ports 3, 4 and 12 open.
    void registration_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("setup");
        // clang-format off
        QTest::newRow("no changes") << QStringList{"3", "9600,N,8,1", "0"} << QByteArray("3,9600,N,8,1:0\r\n") << "3 9600,N,8,1|3|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0";
        QTest::newRow("empty offset becomes 0") << QStringList{"3", "9600,N,8,1", ""} << QByteArray("3,9600,N,8,1:0\r\n") << "3 9600,N,8,1|3|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0";
        QTest::newRow("absent port") << QStringList{"7", "9600,N,8,1", "0"} << QByteArray("7,9600,N,8,1:0\r\n") << "7 9600,N,8,1|7|9600,N,8,1|0| ﾎﾟｰﾄ=False|接続|0";
        QTest::newRow("letters keep the port") << QStringList{"COM3", "9600,N,8,1", "0"} << QByteArray("COM3,9600,N,8,1:0\r\n") << "3 9600,N,8,1|COM3|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0";
        QTest::newRow("refused line settings") << QStringList{"3", "9600,Q,8,1", "5"} << QByteArray("3,9600,Q,8,1:5\r\n") << "3 9600,N,8,1|3|9600,Q,8,1|5| ﾎﾟｰﾄ=True|切断|0";
        QTest::newRow("3.5 opens port 4") << QStringList{"3.5", "4800,E,7,2", "-5"} << QByteArray("3.5,4800,E,7,2:-5\r\n") << "4 4800,E,7,2|3.5|4800,E,7,2|-5| ﾎﾟｰﾄ=True|切断|0";
        QTest::newRow("2.5 tries port 2") << QStringList{"2.5", "9600,N,8,1", "0"} << QByteArray("2.5,9600,N,8,1:0\r\n") << "2 9600,N,8,1|2.5|9600,N,8,1|0| ﾎﾟｰﾄ=False|接続|0";
        // clang-format on
    }
    void registration() {
        QFETCH(QStringList, typed);
        FakeStation station("3,9600,N,8,1:0\r\n", [](FakePlatform& p) {
            p.serial.openablePorts = {3, 4, 12};
        });
        Form1& form = station.form;
        form.Text1->setText(typed[0]);
        form.Text2->setText(typed[1]);
        form.Text5->setText(typed[2]);
        form.Command8->click();
        QTEST(station.dir.readFile(Name), "file");
        QTEST(setup(station.platform.serial, form), "setup");
        QCOMPARE(station.platform.messages.shown, QStringList{Registered});
        QCOMPARE(QStringList({form.PortNumberText, form.PortSettingsText}), typed.mid(0, 2));
    }

    // The file cannot be written: the reason is shown instead of the success message, the old
    // content stays, and the link is set up again all the same.
    void registrationWriteFailure_data() {
        QTest::addColumn<bool>("directoryInPlace");
        QTest::newRow("write cut short") << false;
        QTest::newRow("a directory in its place") << true;
    }
    void registrationWriteFailure() {
        QFETCH(bool, directoryInPlace);
        FakeStation station("3,9600,N,8,1:0\r\n", [](FakePlatform& p) {
            p.serial.openablePorts = {3, 12};
        });
        station.form.Text1->setText(QStringLiteral("12"));
        if (directoryInPlace) {
            QVERIFY(QFile::remove(Name) && QDir().mkdir(Name));
            station.form.Command8->click();
        } else {
            FileSizeLimit limit;
            station.form.Command8->click();
        }
        const QString head = QStringLiteral("「ROTEKA.DAT」に書き込めませんでした。\r\n");
        const QStringList& shown = station.platform.messages.shown;
        QVERIFY2(shown.size() == 1 && shown[0].startsWith(head) && shown[0].size() > head.size(),
                 qPrintable(shown.join('/')));
        QCOMPARE(station.dir.readFile(Name),
                 directoryInPlace ? QByteArray() : QByteArray("3,9600,N,8,1:0\r\n"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden),
                 directoryInPlace ? QStringList() : QStringList{Name});
        QCOMPARE(setup(station.platform.serial, station.form),
                 "12 9600,N,8,1|12|9600,N,8,1|0| ﾎﾟｰﾄ=True|切断|0");
    }
};

QTEST_MAIN(AppTest)
#include "test_app.moc"

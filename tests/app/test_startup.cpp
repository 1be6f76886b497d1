// Start-up stories: the settings file, the pages, the messages, the link and the file left
// behind, with the serial port both faked and real (a pseudo-terminal).
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "serial/QtSerialPort.h"
#include "ui/CaptionLabel.h"
#include "ui/TabControl.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString ProvisionalMessage = QStringLiteral(
    "「ROTEKA.DAT」が有りませんでしたので新たに暫定データを作成しました。\r\n（コムポート＝３）\r\n"
    "\r\n表示の環境設定ページを修正し登録してください。\r\n変更登録後は再起動が必要です。");
const QString FailureReport = QStringLiteral(
    "ポートを設定しようとしましたが、このポートのオープンに失敗しました。\r\n\r\n"
    "パソコンのコムポートに合わせ修正し環境登録ボタンで登録してください。\r\n\r\n"
    "旧システムで環境設定している場合は、「ROTEKA.DAT」を新バージョン用に変更しましたので再設定して"
    "ください。");
const QString LegacyMessage = QStringLiteral(
    "旧システムでの環境設定のため、「ROTEKA.DAT」を新バージョン用に変更しましたので再確認してくださ"
    "い。");

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void settingsLines_data();
    void settingsLines();
    void firstStartWithoutFile();
    void emptyFile();
    void fileThatIsADirectory();
    void realPortOpens();
    void realPortAbsent();
    void realPortHeldByAnotherProcess();
    void legacyLineOnRealPort();
    void deviceListingFailureIsSilent();
};

void StartupTest::settingsLines_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("text5");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("fileAfter");
    QTest::addColumn<QString>("status");

    const QStringList none;
    const QStringList failure{FailureReport};
    QTest::newRow("current form") << QByteArray("3,9600,N,8,1:0\r\n") << 3 << "9600,N,8,1"
                                  << "3"
                                  << "9600,N,8,1"
                                  << "0" << none << QByteArray("3,9600,N,8,1:0\r\n")
                                  << "Port = True";
    QTest::newRow("other values, port absent")
        << QByteArray("12,4800,E,7,2:-5\r\n") << 12 << "4800,E,7,2"
        << "12"
        << "4800,E,7,2"
        << "-5" << failure << QByteArray("12,4800,E,7,2:-5\r\n") << "";
    QTest::newRow("no port number keeps Text1")
        << QByteArray(",9600,N,8,1:0\r\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "0" << none << QByteArray(",9600,N,8,1:0\r\n") << "Port = True";
    QTest::newRow("no line settings keeps Text2")
        << QByteArray("3,:10\r\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "10" << none << QByteArray("3,:10\r\n") << "Port = True";
    QTest::newRow("empty offset stays empty")
        << QByteArray("3,9600,N,8,1:\r\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "" << none << QByteArray("3,9600,N,8,1:\r\n") << "Port = True";
    QTest::newRow("no colon") << QByteArray("3,9600,N,8,1\r\n") << 1 << "9600,N,8,1"
                              << "3"
                              << "9600,N,8,1"
                              << "0" << failure << QByteArray("3,9600,N,8,1\r\n") << "";
    QTest::newRow("no comma") << QByteArray("3\r\n") << 1 << "9600,N,8,1"
                              << "3"
                              << "9600,N,8,1"
                              << "0" << failure << QByteArray("3\r\n") << "";
    QTest::newRow("colon before comma") << QByteArray(":3,9600\r\n") << 1 << "9600,N,8,1"
                                        << "3"
                                        << "9600,N,8,1"
                                        << "0" << failure << QByteArray(":3,9600\r\n") << "";
    QTest::newRow("legacy") << QByteArray("3,9600,N,8,1:x;7\r\n") << 3 << "9600,N,8,1"
                            << "3"
                            << "9600,N,8,1"
                            << "7" << QStringList{LegacyMessage} << QByteArray("3,9600,N,8,1:7\r\n")
                            << "Port = True";
    QTest::newRow("legacy with empty offset")
        << QByteArray("3,9600,N,8,1:;\r\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "0" << QStringList{LegacyMessage} << QByteArray("3,9600,N,8,1:0\r\n") << "Port = True";
    QTest::newRow("legacy without colon")
        << QByteArray("3,9600,N,8,1;0\r\n") << 1 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "0" << failure << QByteArray("3,9600,N,8,1;0\r\n") << "";
    QTest::newRow("second line ignored")
        << QByteArray("3,9600,N,8,1:0\r\n5,1200,N,8,1:9\r\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "0" << none << QByteArray("3,9600,N,8,1:0\r\n5,1200,N,8,1:9\r\n") << "Port = True";
    QTest::newRow("line ending in LF alone")
        << QByteArray("3,9600,N,8,1:15\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,N,8,1"
        << "15" << none << QByteArray("3,9600,N,8,1:15\n") << "Port = True";
    QTest::newRow("no line end") << QByteArray("3,9600,N,8,1:2") << 3 << "9600,N,8,1"
                                 << "3"
                                 << "9600,N,8,1"
                                 << "2" << none << QByteArray("3,9600,N,8,1:2") << "Port = True";
    QTest::newRow("refused line settings")
        << QByteArray("3,9600,X,8,1:0\r\n") << 3 << "9600,N,8,1"
        << "3"
        << "9600,X,8,1"
        << "0" << failure << QByteArray("3,9600,X,8,1:0\r\n") << "";
    QTest::newRow("fractional port number rounds to even")
        << QByteArray("2.5,9600,N,8,1:0\r\n") << 2 << "9600,N,8,1"
        << "2.5"
        << "9600,N,8,1"
        << "0" << failure << QByteArray("2.5,9600,N,8,1:0\r\n") << "";
    QTest::newRow("port number 3.4 rounds to 3")
        << QByteArray("3.4,9600,N,8,1:0\r\n") << 3 << "9600,N,8,1"
        << "3.4"
        << "9600,N,8,1"
        << "0" << none << QByteArray("3.4,9600,N,8,1:0\r\n") << "Port = True";
    QTest::newRow("port number out of 16 bits")
        << QByteArray("40000,9600,N,8,1:0\r\n") << 1 << "9600,N,8,1"
        << "40000"
        << "9600,N,8,1"
        << "0" << failure << QByteArray("40000,9600,N,8,1:0\r\n") << "";
}

void StartupTest::settingsLines() {
    QFETCH(QByteArray, file);
    QFETCH(int, port);
    QFETCH(QString, settings);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(QString, text5);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, fileAfter);
    QFETCH(QString, status);

    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), file);
    FakePlatform platform;
    Form1 form(platform.services());
    form.Form_Load();

    QCOMPARE(platform.serial.commPort(), port);
    QCOMPARE(platform.serial.settings(), settings);
    QCOMPARE(form.Text1->text(), text1);
    QCOMPARE(form.Text2->text(), text2);
    QCOMPARE(form.Text5->text(), text5);
    QCOMPARE(platform.messages.shown, messages);
    QCOMPARE(dir.readFile(QStringLiteral("ROTEKA.DAT")), fileAfter);
    QCOMPARE(form.Label1->text(), status);
    QCOMPARE(form.Command6->text(),
             status.isEmpty() ? QStringLiteral("接続") : QStringLiteral("切断"));
    QCOMPARE(form.SSTab1->currentIndex(), 0);
}

void StartupTest::firstStartWithoutFile() {
    TestDirectory dir;
    FakePlatform platform;
    Form1 form(platform.services());
    form.Form_Load();

    QCOMPARE(platform.messages.shown, (QStringList{ProvisionalMessage, FailureReport}));
    QCOMPARE(dir.readFile(QStringLiteral("ROTEKA.DAT")), QByteArray("3,9600,N,8,1:0\r\n"));
    QCOMPARE(form.SSTab1->currentIndex(), 1);
    QCOMPARE(form.Command6->text(), QStringLiteral("接続"));
    QCOMPARE(form.Label1->text(), QString());
    QCOMPARE(form.Label5->text(), QString());
    QCOMPARE(form.Label4->text(), QStringLiteral("000"));
    QVERIFY(!platform.serial.portOpen());
    QVERIFY(form.PortNumberText.isEmpty());

    // The window opens on the settings page, its port drop-down ready to be typed in.
    form.show();
    QVERIFY(form.Combo1->isVisible());
    QVERIFY(form.Combo1->isEditable());
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("コムポート選択"));
}

void StartupTest::emptyFile() {
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), QByteArray());
    FakePlatform platform;
    Form1 form(platform.services());
    form.Form_Load();
    QCOMPARE(platform.messages.shown, QStringList{FailureReport});
    QCOMPARE(dir.readFile(QStringLiteral("ROTEKA.DAT")), QByteArray());
    QCOMPARE(form.SSTab1->currentIndex(), 0);
    QCOMPARE(form.Text1->text(), QStringLiteral("3"));
    QVERIFY(!platform.serial.portOpen());
}

void StartupTest::fileThatIsADirectory() {
    TestDirectory dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ROTEKA.DAT")));
    FakePlatform platform;
    Form1 form(platform.services());
    form.Form_Load();
    // Not a settings file: start-up tries to create one, cannot, and reports the failure.
    QCOMPARE(platform.messages.shown, QStringList{FailureReport});
    QVERIFY(QFileInfo(dir.path() + QStringLiteral("/ROTEKA.DAT")).isDir());
}

void StartupTest::realPortOpens() {
    PtyStation station(7);
    const Form1& form = *station.form;
    QCOMPARE(station.messages.shown, QStringList());
    QCOMPARE(form.Label1->text(), QStringLiteral("Port = True"));
    QCOMPARE(form.Command6->text(), QStringLiteral("切断"));
    QCOMPARE(form.SSTab1->currentIndex(), 0);
    station.controller->write("AZ=123\r\n");
    QVERIFY(waitFor([&] { return form.Label4->text() == QStringLiteral("123"); }));
    QCOMPARE(form.Label2[5]->text(), QStringLiteral("設定角度 ＝"));
}

void StartupTest::realPortAbsent() {
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "160,9600,N,8,1:4\r\n");
    RealWindow window;
    window.form->Form_Load();
    QCOMPARE(window.messages.shown, QStringList{FailureReport});
    QCOMPARE(window.form->Text1->text(), QStringLiteral("160"));
    QCOMPARE(window.form->Text5->text(), QStringLiteral("4"));
    QCOMPARE(window.form->Label1->text(), QString());
    QCOMPARE(window.form->Command6->text(), QStringLiteral("接続"));
}

void StartupTest::realPortHeldByAnotherProcess() {
    TestDirectory dir;
    PtyPeer controller(dir.aliasDir(), 9);
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {QStringLiteral("--exclusive"), controller.slavePath(), QStringLiteral("sh"),
                  QStringLiteral("-c"), QStringLiteral("echo held; exec sleep 30")});
    QVERIFY(holder.waitForReadyRead(5000));
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "9,9600,N,8,1:0\r\n");
    RealWindow window;
    window.form->Form_Load();
    QCOMPARE(window.messages.shown, QStringList{FailureReport});
    QCOMPARE(window.form->Command6->text(), QStringLiteral("接続"));
    QVERIFY(!window.platform.serial.portOpen());
    holder.kill();
    holder.waitForFinished();
}

void StartupTest::legacyLineOnRealPort() {
    PtyStation station(4, "4,9600,N,8,1:old;-3\r\n");
    QCOMPARE(station.messages.shown, QStringList{LegacyMessage});
    QCOMPARE(station.dir.readFile(QStringLiteral("ROTEKA.DAT")), QByteArray("4,9600,N,8,1:-3\r\n"));
    QCOMPARE(station.form->Label1->text(), QStringLiteral("Port = True"));
    QCOMPARE(station.form->Command6->text(), QStringLiteral("切断"));
}

void StartupTest::deviceListingFailureIsSilent() {
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "3,9600,N,8,1:0\r\n");
    FakePlatform platform;
    platform.devices.fail = true;
    Form1 form(platform.services());
    form.Form_Load();
    QCOMPARE(platform.messages.shown, QStringList());
    QCOMPARE(form.Label1->text(), QStringLiteral("Port = True"));
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"

// Settings registration and port selection: what the file, the link, the status line, the
// connect caption and the messages say afterwards.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"
#include "ui/TabControl.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString Registered = QStringLiteral("環境への登録が終了しました。\r\n\r\nコムポート変更の場合"
                                          "はこのプログラムを一度再起動してください。");
const QString PortChosen =
    QStringLiteral("ポート変更が完了しました。\r\n\r\n"
                   "\u3000設定内容は環境設定登録後に有効となります。\r\n"
                   "\u3000環境設定登録後にポートを確認してください。\r\n"
                   "\u3000ポートが有効「ﾎﾟｰﾄ = "
                   "True」となった場合であっても、一度プログラムを再起動後に使用してくださ"
                   "い。");

struct FakeStart {
    FakeStart() {
        dir.writeFile(QStringLiteral("ROTEKA.DAT"), "3,9600,N,8,1:0\r\n");
        platform.serial.openablePorts = {3, 4, 12};
        platform.devices.names = {QStringLiteral("Communications Port (COM1)"),
                                  QStringLiteral("USB Serial Port (COM12)"),
                                  QStringLiteral("COMTEC USB Adapter (COM5)")};
        form.Form_Load();
    }
    void pick(int index) {
        form.Combo1->setCurrentIndex(index);
        emit form.Combo1->activated(index);
    }
    TestDirectory dir;
    FakePlatform platform;
    Form1 form{platform.services()};
};

} // namespace

class RegistrationTest : public QObject {
    Q_OBJECT
private slots:
    void registration_data();
    void registration();
    void registerWithoutChangesKeepsRepliesComing();
    void writeFailureIsReported_data();
    void writeFailureIsReported();
    void portSelection_data();
    void portSelection();
    void pickingWhileOpenLeavesTheLinkAlone();
    void chosenNumberIsRegistered();
    void pickingFromTheOpenedList();
};

void RegistrationTest::registration_data() {
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("text5");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("offsetAfter");

    QTest::newRow("no changes") << "3"
                                << "9600,N,8,1"
                                << "0" << QByteArray("3,9600,N,8,1:0\r\n") << 3 << "9600,N,8,1"
                                << " ﾎﾟｰﾄ=True"
                                << "0";
    QTest::newRow("empty offset becomes 0")
        << "3"
        << "9600,N,8,1"
        << "" << QByteArray("3,9600,N,8,1:0\r\n") << 3 << "9600,N,8,1"
        << " ﾎﾟｰﾄ=True"
        << "0";
    QTest::newRow("absent port") << "7"
                                 << "9600,N,8,1"
                                 << "0" << QByteArray("7,9600,N,8,1:0\r\n") << 7 << "9600,N,8,1"
                                 << " ﾎﾟｰﾄ=False"
                                 << "0";
    QTest::newRow("letters keep the previous port")
        << "COM3"
        << "9600,N,8,1"
        << "0" << QByteArray("COM3,9600,N,8,1:0\r\n") << 3 << "9600,N,8,1"
        << " ﾎﾟｰﾄ=True"
        << "0";
    QTest::newRow("refused line settings keep the previous ones")
        << "3"
        << "9600,Q,8,1"
        << "5" << QByteArray("3,9600,Q,8,1:5\r\n") << 3 << "9600,N,8,1"
        << " ﾎﾟｰﾄ=True"
        << "5";
    QTest::newRow("3.5 opens port 4")
        << "3.5"
        << "4800,E,7,2"
        << "-5" << QByteArray("3.5,4800,E,7,2:-5\r\n") << 4 << "4800,E,7,2"
        << " ﾎﾟｰﾄ=True"
        << "-5";
    QTest::newRow("2.5 tries port 2")
        << "2.5"
        << "9600,N,8,1"
        << "0" << QByteArray("2.5,9600,N,8,1:0\r\n") << 2 << "9600,N,8,1"
        << " ﾎﾟｰﾄ=False"
        << "0";
}

void RegistrationTest::registration() {
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(QString, text5);
    QFETCH(QByteArray, file);
    QFETCH(int, port);
    QFETCH(QString, settings);
    QFETCH(QString, status);
    QFETCH(QString, offsetAfter);

    FakeStart start;
    start.form.Text1->setText(text1);
    start.form.Text2->setText(text2);
    start.form.Text5->setText(text5);
    start.form.Command8->click();

    QCOMPARE(start.dir.readFile(QStringLiteral("ROTEKA.DAT")), file);
    QCOMPARE(start.platform.serial.commPort(), port);
    QCOMPARE(start.platform.serial.settings(), settings);
    QCOMPARE(start.form.Label1->text(), status);
    QCOMPARE(start.form.Command6->text(),
             start.platform.serial.portOpen() ? QStringLiteral("切断") : QStringLiteral("接続"));
    QCOMPARE(start.form.Text5->text(), offsetAfter);
    QCOMPARE(start.platform.messages.shown.last(), Registered);
    QCOMPARE(start.form.PortNumberText, text1);
    QCOMPARE(start.form.PortSettingsText, text2);
}

void RegistrationTest::registerWithoutChangesKeepsRepliesComing() {
    PtyStation station(6);
    const Form1& form = *station.form;
    station.controller->write("AZ=010\r\n");
    QVERIFY(waitFor([&] { return form.Label4->text() == QStringLiteral("10"); }));

    form.Command8->click();
    QCOMPARE(form.Label1->text(), QStringLiteral(" ﾎﾟｰﾄ=True"));
    QCOMPARE(form.Command6->text(), QStringLiteral("切断"));
    QCOMPARE(station.messages.shown, QStringList{Registered});
    station.controller->write("AZ=020\r\n");
    QVERIFY(waitFor([&] { return form.Label4->text() == QStringLiteral("20"); }));
}

void RegistrationTest::writeFailureIsReported_data() {
    QTest::addColumn<bool>("directoryInPlace");
    QTest::newRow("write cut short") << false;
    QTest::newRow("a directory in its place") << true;
}

void RegistrationTest::writeFailureIsReported() {
    QFETCH(bool, directoryInPlace);
    FakeStart start;
    start.form.Text1->setText(QStringLiteral("12"));
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    if (directoryInPlace) {
        QVERIFY(QFile::remove(QStringLiteral("ROTEKA.DAT")));
        QVERIFY(QDir().mkdir(QStringLiteral("ROTEKA.DAT")));
    } else {
        rlimit small = saved;
        small.rlim_cur = 4;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    }
    start.form.Command8->click();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    const QString message = start.platform.messages.shown.last();
    QVERIFY2(message.startsWith(QStringLiteral("「ROTEKA.DAT」に書き込めませんでした。\r\n")),
             qPrintable(message));
    QVERIFY(message.size() > QStringLiteral("「ROTEKA.DAT」に書き込めませんでした。\r\n").size());
    QVERIFY(!start.platform.messages.shown.contains(Registered));
    if (!directoryInPlace)
        QCOMPARE(start.dir.readFile(QStringLiteral("ROTEKA.DAT")),
                 QByteArray("3,9600,N,8,1:0\r\n"));
    // The link is set up again all the same.
    QCOMPARE(start.platform.serial.commPort(), 12);
    QCOMPARE(start.form.Label1->text(), QStringLiteral(" ﾎﾟｰﾄ=True"));
}

void RegistrationTest::portSelection_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text1");
    QTest::newRow("COM1") << 0 << "1";
    QTest::newRow("USB Serial Port (COM12)") << 1 << "12";
    QTest::newRow("an earlier upper-case COM wins") << 2 << "TEC USB Adapter (COM5";
}

void RegistrationTest::portSelection() {
    QFETCH(int, index);
    QFETCH(QString, text1);
    FakeStart start;
    start.pick(index);
    QCOMPARE(start.form.Text1->text(), text1);
    QCOMPARE(start.platform.messages.shown, QStringList{PortChosen});
    QCOMPARE(start.dir.readFile(QStringLiteral("ROTEKA.DAT")), QByteArray("3,9600,N,8,1:0\r\n"));
}

void RegistrationTest::pickingWhileOpenLeavesTheLinkAlone() {
    FakeStart start;
    QVERIFY(start.platform.serial.portOpen());
    start.pick(1);
    QVERIFY(start.platform.serial.portOpen());
    QCOMPARE(start.platform.serial.commPort(), 3);
    QCOMPARE(start.form.Label1->text(), QStringLiteral("Port = True"));
    QCOMPARE(start.form.Command6->text(), QStringLiteral("切断"));
}

void RegistrationTest::chosenNumberIsRegistered() {
    FakeStart start;
    start.pick(1);
    start.form.Command8->click();
    QCOMPARE(start.dir.readFile(QStringLiteral("ROTEKA.DAT")), QByteArray("12,9600,N,8,1:0\r\n"));
    QCOMPARE(start.platform.serial.commPort(), 12);
    QVERIFY(start.platform.serial.portOpen());
    QCOMPARE(start.platform.serial.opens, 2);
}

// The operator's way: open the drop-down on the settings page and click a device in its list.
void RegistrationTest::pickingFromTheOpenedList() {
    FakeStart start;
    start.form.SSTab1->setCurrentIndex(1);
    start.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&start.form));
    start.form.Combo1->showPopup();
    QAbstractItemView* list = start.form.Combo1->view();
    QTRY_VERIFY(list->isVisible());
    const QPoint item = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(start.form.Text1->text(), QStringLiteral("12"));
    QCOMPARE(start.platform.messages.shown, QStringList{PortChosen});
}

QTEST_MAIN(RegistrationTest)
#include "test_registration.moc"

// A click on the map: the bearing of the clicked point, the target with the offset, the
// go-to command on the line, and the cases where the click sends nothing or does nothing.
// Points are given from the box's outer corner, its border included, as the widget's own
// coordinates are; the map centre is (102, 102).
#include "FakePlatform.h"
#include "FakeStation.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/PictureBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace roteka;
using namespace roteka::test;

namespace {

struct Window : FakeStation {
    Window() {
        form.show();
        exposed = QTest::qWaitForWindowExposed(&form);
    }
    bool exposed = false;
};

void click(Form1& form, QPoint at) {
    QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, at);
}

} // namespace

class MapClickTest : public QObject {
    Q_OBJECT
private slots:
    void clickTable_data();
    void clickTable();
    void closedPort();
    void targetBeyondSixteenBitsIsIgnored_data();
    void targetBeyondSixteenBitsIsIgnored();
    void failingRectangleChangesNothing();
    void measuredFromTheBoxRectangle();
    void clickOnARealPort();
};

void MapClickTest::clickTable_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("centre") << QPoint(102, 102) << "0"
                            << "270" << QByteArray("M270\r\n");
    QTest::newRow("straight up") << QPoint(102, 2) << "0"
                                 << "0" << QByteArray("M000\r\n");
    QTest::newRow("straight right") << QPoint(200, 102) << "0"
                                    << "90" << QByteArray("M090\r\n");
    QTest::newRow("straight down") << QPoint(102, 201) << "0"
                                   << "180" << QByteArray("M180\r\n");
    QTest::newRow("straight left") << QPoint(2, 102) << "0"
                                   << "270" << QByteArray("M270\r\n");
    QTest::newRow("north-east") << QPoint(152, 52) << "0"
                                << "45" << QByteArray("M045\r\n");
    QTest::newRow("south-east") << QPoint(152, 152) << "0"
                                << "135" << QByteArray("M135\r\n");
    QTest::newRow("south-west") << QPoint(52, 152) << "0"
                                << "225" << QByteArray("M225\r\n");
    QTest::newRow("north-west") << QPoint(52, 52) << "0"
                                << "315" << QByteArray("M315\r\n");
    QTest::newRow("just below west") << QPoint(2, 103) << "0"
                                     << "270" << QByteArray("M270\r\n");
    QTest::newRow("left of north") << QPoint(101, 2) << "0"
                                   << "359" << QByteArray("M359\r\n");
    QTest::newRow("right of north") << QPoint(103, 2) << "0"
                                    << "1" << QByteArray("M001\r\n");
    QTest::newRow("(94, 12)") << QPoint(94, 12) << "0"
                              << "355" << QByteArray("M355\r\n");
    QTest::newRow("(94, 12) offset 10") << QPoint(94, 12) << "10"
                                        << "5" << QByteArray("M005\r\n");
    QTest::newRow("(94, 12) offset -10") << QPoint(94, 12) << "-10"
                                         << "345" << QByteArray("M345\r\n");
    QTest::newRow("offset 2.5 rounds to even") << QPoint(102, 2) << "2.5"
                                               << "2" << QByteArray("M002\r\n");
    QTest::newRow("offset 3.5 rounds to even") << QPoint(102, 2) << "3.5"
                                               << "4" << QByteArray("M004\r\n");
    QTest::newRow("offset 100, no wrap above 360") << QPoint(2, 103) << "100"
                                                   << "370" << QByteArray("M370\r\n");
    QTest::newRow("empty offset") << QPoint(152, 52) << ""
                                  << "45" << QByteArray("M045\r\n");
    QTest::newRow("offset by its leading number") << QPoint(152, 52) << "5 deg"
                                                  << "50" << QByteArray("M050\r\n");
    QTest::newRow("offset -390 sends a sign") << QPoint(102, 2) << "-390"
                                              << "-30" << QByteArray("M-30\r\n");
    QTest::newRow("target 1000 is not sent") << QPoint(102, 2) << "1000"
                                             << "1000" << QByteArray();
    QTest::newRow("target -140 is not sent") << QPoint(102, 2) << "-500"
                                             << "-140" << QByteArray();
}

void MapClickTest::clickTable() {
    QFETCH(QPoint, point);
    QFETCH(QString, offset);
    QFETCH(QString, target);
    QFETCH(QByteArray, sent);

    Window w;
    QVERIFY(w.exposed);
    w.form.Text5->setText(offset);
    w.form.ReceiveBuffer = QStringLiteral("AZ=1");
    click(w.form, point);

    QCOMPARE(w.form.Label5->text(), target);
    QCOMPARE(w.platform.serial.written, sent);
    QCOMPARE(w.form.ReceiveBuffer, QString());
    QCOMPARE(w.form.Label1->text(), QStringLiteral("Port = True"));
    QCOMPARE(w.form.Command6->text(), QStringLiteral("切断"));
}

void MapClickTest::closedPort() {
    Window w;
    w.platform.serial.setPortOpen(false);
    w.form.ReceiveBuffer = QStringLiteral("AZ=1");
    click(w.form, QPoint(152, 52));

    QCOMPARE(w.form.Label5->text(), QStringLiteral("45"));
    QCOMPARE(w.form.Label1->text(), QStringLiteral("port = False"));
    QCOMPARE(w.form.Command6->text(), QStringLiteral("接続"));
    QCOMPARE(w.form.ReceiveBuffer, QString());
    QCOMPARE(w.platform.serial.written, QByteArray());
}

void MapClickTest::targetBeyondSixteenBitsIsIgnored_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("offset");
    QTest::newRow("open, 40000") << true << "40000";
    QTest::newRow("open, -40000") << true << "-40000";
    QTest::newRow("closed, 40000") << false << "40000";
}

void MapClickTest::targetBeyondSixteenBitsIsIgnored() {
    QFETCH(bool, open);
    QFETCH(QString, offset);
    Window w;
    click(w.form, QPoint(152, 52));
    QCOMPARE(w.platform.serial.written, QByteArray("M045\r\n"));
    if (!open)
        w.platform.serial.setPortOpen(false);
    const QString status = w.form.Label1->text();

    w.form.Text5->setText(offset);
    w.form.ReceiveBuffer = QStringLiteral("AZ=1");
    click(w.form, QPoint(102, 2));

    QCOMPARE(w.form.Label5->text(), QStringLiteral("45"));
    QCOMPARE(w.form.ReceiveBuffer, QStringLiteral("AZ=1"));
    QCOMPARE(w.platform.serial.written, QByteArray("M045\r\n"));
    QCOMPARE(w.form.Label1->text(), status);
    QCOMPARE(w.form.Command6->text(), QStringLiteral("切断"));
}

void MapClickTest::failingRectangleChangesNothing() {
    Window w;
    w.platform.pointer.failRect = true;
    w.platform.serial.setPortOpen(false);
    w.form.ReceiveBuffer = QStringLiteral("AZ=1");
    click(w.form, QPoint(152, 52));

    QCOMPARE(w.form.Label5->text(), QString());
    QCOMPARE(w.form.ReceiveBuffer, QStringLiteral("AZ=1"));
    QCOMPARE(w.form.Label1->text(), QStringLiteral("Port = True"));
    QCOMPARE(w.form.Command6->text(), QStringLiteral("切断"));
    QCOMPARE(w.platform.serial.written, QByteArray());
}

void MapClickTest::measuredFromTheBoxRectangle() {
    // The click is measured from the rectangle the window system reports for the box.
    Window w;
    const QPoint origin = w.form.Picture1->mapToGlobal(QPoint(0, 0));
    w.platform.pointer.rect = QRect(origin + QPoint(50, 50), QSize(203, 205));
    click(w.form, QPoint(152, 52));
    QCOMPARE(w.form.Label5->text(), QStringLiteral("0"));
    QCOMPARE(w.platform.serial.written, QByteArray("M000\r\n"));
}

void MapClickTest::clickOnARealPort() {
    PtyStation station(7, "7,9600,N,8,1:-10\r\n");
    Form1& form = *station.form;
    QCOMPARE(form.Label1->text(), QStringLiteral("Port = True"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    click(form, QPoint(94, 12));
    QCOMPARE(form.Label5->text(), QStringLiteral("345"));
    QCOMPARE(station.controller->readUntil(6, 2000), QByteArray("M345\r\n"));
    QCOMPARE(station.messages.shown, QStringList());
}

QTEST_MAIN(MapClickTest)
#include "test_map_click.moc"

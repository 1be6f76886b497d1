// The connect/disconnect toggle and the link's life on a real pseudo-terminal: closing and
// reopening, a port taken by another program, and a device that goes away while open.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"
#include "ui/TabControl.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace roteka;
using namespace roteka::test;

namespace {

bool azimuthReads(PtyStation& station, const QString& value) {
    return waitFor([&] { return station.form->Label4->text() == value; });
}

} // namespace

class LinkTest : public QObject {
    Q_OBJECT
private slots:
    void toggleTwice();
    void portTakenByAnotherProgram();
    void deviceGoesAwayAndComesBack();
    void hangUpInTheMiddleOfAReply();
    void listingFillsTheDropDown();
    void emptyListing();
};

void LinkTest::toggleTwice() {
    PtyStation link(11);
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port = True"));

    link.form->Command6->click();
    QVERIFY(!link.platform.serial.portOpen());
    QCOMPARE(link.form->Command6->text(), QStringLiteral("接続"));
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port を切断しました。False"));
    link.controller->write("AZ=010\r\n");
    QCOMPARE(link.controller->readFor(100), QByteArray());

    link.form->Command6->click();
    QVERIFY(link.platform.serial.portOpen());
    QCOMPARE(link.form->Command6->text(), QStringLiteral("切断"));
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port = True"));
    link.controller->write("AZ=042\r\n");
    QVERIFY(azimuthReads(link, QStringLiteral("42")));
    QCOMPARE(link.messages.shown, QStringList());
}

void LinkTest::portTakenByAnotherProgram() {
    PtyStation link(12);
    link.form->Command6->click();
    QCOMPARE(link.form->Command6->text(), QStringLiteral("接続"));

    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {QStringLiteral("--exclusive"), link.controller->slavePath(), QStringLiteral("sh"),
                  QStringLiteral("-c"), QStringLiteral("echo held; exec sleep 30")});
    QVERIFY(holder.waitForReadyRead(5000));

    link.form->Command6->click();
    QCOMPARE(link.form->Command6->text(), QStringLiteral("切断"));
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port = False"));
    QVERIFY(!link.platform.serial.portOpen());

    link.form->Command6->click();
    QCOMPARE(link.form->Command6->text(), QStringLiteral("切断"));
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port = False"));
    QCOMPARE(link.messages.shown, QStringList());
    holder.kill();
    holder.waitForFinished();
}

void LinkTest::deviceGoesAwayAndComesBack() {
    PtyStation link(13);
    link.controller->write("AZ=100\r\n");
    QVERIFY(azimuthReads(link, QStringLiteral("100")));

    link.controller->hangUp();
    QVERIFY(waitFor([&] { return !link.platform.serial.portOpen(); }));
    QCOMPARE(link.form->Label1->text(), QStringLiteral("port = False"));
    QCOMPARE(link.form->Command6->text(), QStringLiteral("接続"));

    link.controller.reset();
    link.form->Command6->click();
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port = False"));
    QCOMPARE(link.form->Command6->text(), QStringLiteral("切断"));
    link.form->Command6->click();
    QCOMPARE(link.form->Command6->text(), QStringLiteral("切断"));
    link.form->Command2->click();
    QCOMPARE(link.form->Command6->text(), QStringLiteral("接続"));

    link.controller = std::make_unique<PtyPeer>(link.dir.aliasDir(), 13);
    link.form->Command6->click();
    QCOMPARE(link.form->Label1->text(), QStringLiteral("Port = True"));
    link.controller->write("AZ=200\r\n");
    QVERIFY(azimuthReads(link, QStringLiteral("200")));
    link.form->Command1->click();
    QCOMPARE(link.controller->readUntil(3, 2000), QByteArray("L\r\n"));
}

void LinkTest::hangUpInTheMiddleOfAReply() {
    PtyStation link(14);
    link.controller->write("AZ=0");
    link.controller->hangUp();
    QVERIFY(waitFor([&] { return link.form->Command6->text() == QStringLiteral("接続"); }));
    QCOMPARE(link.form->Label4->text(), QStringLiteral("000"));
    link.form->Command3->click();
    QCOMPARE(link.form->Label1->text(), QStringLiteral("port = False"));
}

void LinkTest::listingFillsTheDropDown() {
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "3,9600,N,8,1:0\r\n");
    FakePlatform platform;
    platform.devices.names = {QStringLiteral("Communications Port (COM1)"), QString(),
                              QStringLiteral("USB Serial Port (COM12)")};
    Form1 form(platform.services());
    form.Form_Load();
    QCOMPARE(form.Combo1->count(), 2);
    QCOMPARE(form.Combo1->itemText(0), QStringLiteral("Communications Port (COM1)"));
    QCOMPARE(form.Combo1->itemText(1), QStringLiteral("USB Serial Port (COM12)"));
    // The drop-down's text as the operator sees it on opening the page: none of the list's.
    form.SSTab1->setCurrentIndex(1);
    form.show();
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("コムポート選択"));
    QCOMPARE(form.Combo1->currentIndex(), -1);
}

void LinkTest::emptyListing() {
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "3,9600,N,8,1:0\r\n");
    FakePlatform platform;
    Form1 form(platform.services());
    form.Form_Load();
    QCOMPARE(form.Combo1->count(), 0);
    QCOMPARE(platform.messages.shown, QStringList());
}

QTEST_MAIN(LinkTest)
#include "test_link.moc"

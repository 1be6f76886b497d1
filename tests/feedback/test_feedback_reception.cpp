// Reply reception on the window: characters from the serial port, the current azimuth, the
// once-per-run initialisation step and what ends a half-received reply.
#include "FakePlatform.h"
#include "FakeStation.h"
#include "PtyPeer.h"

#include "ui/CaptionLabel.h"

#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString Initialising = QStringLiteral("初期化中");
const QString SetAngle = QStringLiteral("設定角度 ＝");

// A window started on an open fake port, as after a normal start-up.
using Window = FakeStation;

} // namespace

class ReceptionTest : public QObject {
    Q_OBJECT
private slots:
    void firstReplyInitialises_data();
    void firstReplyInitialises();
    void oneCharacterPerEvent();
    void commandBeforeFirstReplyIsOverwritten();
    void laterRepliesDoNotInitialiseAgain();
    void nonReceiveEventReadsNothing();
    void nonReceiveEventRunsTheInitialisationStep();
    void sendingEmptiesAHalfReceivedReply();
    void wholeStreamInOneEvent();
};

void ReceptionTest::firstReplyInitialises_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("azimuth");
    QTest::newRow("090") << QByteArray("AZ=090") << "90";
    QTest::newRow("000 still completes it") << QByteArray("AZ=000\r\n") << "0";
    QTest::newRow("after noise") << QByteArray("A\r\nAZ=045\r\n") << "45";
    QTest::newRow("past north") << QByteArray("AZ=450") << "90";
}

void ReceptionTest::firstReplyInitialises() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, azimuth);
    Window w;
    QCOMPARE(w.form.Label2[5]->text(), Initialising);
    QCOMPARE(w.form.Label4->text(), QStringLiteral("000"));
    QCOMPARE(w.form.Label5->text(), QString());

    w.platform.serial.feed(bytes);

    QCOMPARE(w.form.Label4->text(), azimuth);
    QCOMPARE(w.form.Label2[5]->text(), SetAngle);
    QCOMPARE(w.form.Label5->text(), azimuth);
    QCOMPARE(w.form.ReceiveBuffer, QString());
    QCOMPARE(w.platform.serial.inBufferCount(), 0);
    QCOMPARE(w.platform.serial.written, QByteArray());
}

void ReceptionTest::oneCharacterPerEvent() {
    Window w;
    QSignalSpy changes(w.form.Label4, &CaptionLabel::change);
    const QByteArray reply("AZ=123\r\n");
    for (qsizetype i = 0; i < reply.size(); ++i) {
        w.platform.serial.feed(reply.mid(i, 1));
        const bool complete = i >= 5;
        QCOMPARE(w.form.Label4->text(), complete ? QStringLiteral("123") : QStringLiteral("000"));
        QCOMPARE(w.form.Label2[5]->text(), complete ? SetAngle : Initialising);
    }
    QCOMPARE(changes.count(), 1);
    QCOMPARE(w.form.ReceiveBuffer, QString());
}

void ReceptionTest::commandBeforeFirstReplyIsOverwritten() {
    Window w;
    w.form.Command1->click();
    QCOMPARE(w.form.Label5->text(), QStringLiteral("184"));
    QCOMPARE(w.platform.serial.written, QByteArray("L\r\n"));

    w.platform.serial.feed("AZ=123\r\n");
    QCOMPARE(w.form.Label5->text(), QStringLiteral("123"));
    QCOMPARE(w.form.Label2[5]->text(), SetAngle);
}

void ReceptionTest::laterRepliesDoNotInitialiseAgain() {
    Window w;
    w.platform.serial.feed("AZ=010\r\n");
    w.form.Command3->click();
    QCOMPARE(w.form.Label5->text(), QStringLiteral("176"));
    w.platform.serial.feed("AZ=020\r\nAZ=030\r\n");
    QCOMPARE(w.form.Label4->text(), QStringLiteral("30"));
    QCOMPARE(w.form.Label5->text(), QStringLiteral("176"));
    QCOMPARE(w.form.Label2[5]->text(), SetAngle);
}

void ReceptionTest::nonReceiveEventReadsNothing() {
    Window w;
    w.platform.serial.setRThreshold(0);
    w.platform.serial.feed("AZ=045");
    QCOMPARE(w.platform.serial.inBufferCount(), 6);

    w.platform.serial.raiseEvent(3);
    QCOMPARE(w.platform.serial.inBufferCount(), 6);
    QCOMPARE(w.form.ReceiveBuffer, QString());
    QCOMPARE(w.form.Label4->text(), QStringLiteral("000"));
    QCOMPARE(w.form.Label2[5]->text(), Initialising);
    QCOMPARE(w.form.Label5->text(), QString());

    w.platform.serial.raiseEvent(SerialPort::ReceiveEvent);
    QCOMPARE(w.platform.serial.inBufferCount(), 0);
    QCOMPARE(w.form.Label4->text(), QStringLiteral("45"));
    QCOMPARE(w.form.Label5->text(), QStringLiteral("45"));
}

void ReceptionTest::nonReceiveEventRunsTheInitialisationStep() {
    Window w;
    w.form.Label4->setCaption(QStringLiteral("77"));
    QCOMPARE(w.form.Label2[5]->text(), Initialising);

    w.platform.serial.raiseEvent(3);
    QCOMPARE(w.form.Label2[5]->text(), SetAngle);
    QCOMPARE(w.form.Label5->text(), QStringLiteral("77"));
}

void ReceptionTest::sendingEmptiesAHalfReceivedReply() {
    Window w;
    w.platform.serial.feed("AZ=0");
    QCOMPARE(w.form.ReceiveBuffer, QStringLiteral("AZ=0"));
    w.form.Command2->click();
    QCOMPARE(w.form.ReceiveBuffer, QString());
    w.platform.serial.feed("45\r\n");
    QCOMPARE(w.form.Label4->text(), QStringLiteral("000"));
    QCOMPARE(w.form.Label2[5]->text(), Initialising);
}

void ReceptionTest::wholeStreamInOneEvent() {
    // One event, many waiting characters: the handler reads them one at a time, and the
    // azimuth shown follows every reply in turn.
    QRandomGenerator random(7);
    QByteArray stream;
    QList<QString> shown;
    for (int i = 0; i < 300; ++i) {
        const int reading = random.bounded(1000);
        stream += QByteArray("\r\nA") + QByteArray::number(random.bounded(100)) +
                  "AZ=" + QByteArray::number(reading).rightJustified(3, '0');
        const QString azimuth = QString::number(reading >= 360 ? reading - 360 : reading);
        if (shown.isEmpty() ? azimuth != QStringLiteral("000") : shown.last() != azimuth)
            shown.append(azimuth);
    }
    Window w;
    QList<QString> seen;
    connect(w.form.Label4, &CaptionLabel::change, this,
            [&] { seen.append(w.form.Label4->text()); });
    w.platform.serial.feed(stream);
    QCOMPARE(seen, shown);
    QCOMPARE(w.form.ReceiveBuffer, QString());
    QCOMPARE(w.form.Label5->text(), shown.last());
}

QTEST_MAIN(ReceptionTest)
#include "test_feedback_reception.moc"

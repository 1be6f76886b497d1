// The bytes the command buttons put on a real serial line (a pseudo-terminal standing in for
// the controller).
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace roteka;
using namespace roteka::test;

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void fixedCommands_data();
    void fixedCommands();
    void twentyFourStepsRightComeBackToZero();
    void stepLeftFrom15SendsM360ThenM345();
    void freeCommand_data();
    void freeCommand();
    void closedPortSendsNothing();
};

void CommandLineTest::fixedCommands_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("turn left") << "Command1" << QByteArray("\x4C\x0D\x0A");
    QTest::newRow("stop") << "Command2" << QByteArray("\x41\x0D\x0A");
    QTest::newRow("turn right") << "Command3" << QByteArray("\x52\x0D\x0A");
}

void CommandLineTest::fixedCommands() {
    QFETCH(QString, button);
    QFETCH(QByteArray, bytes);
    PtyStation station(5);
    QVERIFY(station.platform.serial.portOpen());
    QPushButton* target = button == QStringLiteral("Command1")   ? station.form->Command1
                          : button == QStringLiteral("Command2") ? station.form->Command2
                                                                 : station.form->Command3;
    target->click();
    target->click();
    QCOMPARE(station.controller->readUntil(bytes.size() * 2, 2000), bytes + bytes);
    QCOMPARE(station.controller->readFor(200), QByteArray());
}

void CommandLineTest::twentyFourStepsRightComeBackToZero() {
    PtyStation station(5);
    station.form->Label5->setText(QStringLiteral("0"));
    QByteArray expected;
    for (int angle = 15; angle <= 360; angle += 15)
        expected += QStringLiteral("M%1\r\n").arg(angle % 360, 3, 10, QLatin1Char('0')).toLatin1();
    QVERIFY(expected.startsWith("M015\r\nM030\r\n"));
    QVERIFY(expected.endsWith("M345\r\nM000\r\n"));

    for (int click = 0; click < 24; ++click)
        station.form->Command4->click();

    QCOMPARE(station.controller->readUntil(expected.size(), 5000), expected);
    QCOMPARE(station.form->Label5->text(), QStringLiteral("0"));
}

void CommandLineTest::stepLeftFrom15SendsM360ThenM345() {
    PtyStation station(5);
    station.form->Label5->setText(QStringLiteral("15"));
    station.form->Command5->click();
    station.form->Command5->click();
    QCOMPARE(station.controller->readUntil(12, 2000), QByteArray("M360\r\nM345\r\n"));
    QCOMPARE(station.form->Label5->text(), QStringLiteral("345"));
}

void CommandLineTest::freeCommand_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty sends the line end alone") << "" << QByteArray("\x0D\x0A");
    QTest::newRow("command") << "V" << QByteArray("V\r\n");
    QTest::newRow("lower case and blanks kept") << "  v x " << QByteArray("  v x \r\n");
    // Characters outside ASCII leave in the system's 8-bit encoding, UTF-8 here.
    QTest::newRow("kanji") << "方位M090"
                           << QByteArray("\xE6\x96\xB9\xE4\xBD\x8D"
                                         "M090\r\n");
    QTest::newRow("half-width katakana") << "ｺﾏﾝﾄﾞ"
                                         << QByteArray("\xEF\xBD\xBA\xEF\xBE\x8F\xEF\xBE\x9D"
                                                       "\xEF\xBE\x84\xEF\xBE\x9E\r\n");
}

void CommandLineTest::freeCommand() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    PtyStation station(5);
    station.form->Text3->setText(text);
    station.form->Command9->click();
    QCOMPARE(station.controller->readUntil(bytes.size(), 2000), bytes);
    QCOMPARE(station.controller->readFor(200), QByteArray());
    QCOMPARE(station.form->Text3->text(), text);
}

void CommandLineTest::closedPortSendsNothing() {
    PtyStation station(5);
    Form1& form = *station.form;
    form.Command6->click();
    QVERIFY(!station.platform.serial.portOpen());
    form.Text3->setText(QStringLiteral("V"));
    form.Label5->setText(QStringLiteral("90"));

    for (QPushButton* button : {form.Command1, form.Command2, form.Command3, form.Command4,
                                form.Command5, form.Command9, form.Command7})
        button->click();

    QCOMPARE(station.controller->readFor(300), QByteArray());
    QCOMPARE(form.Label1->text(), QStringLiteral("port = False"));
    QCOMPARE(form.Label5->text(), QStringLiteral("176"));
}

QTEST_MAIN(CommandLineTest)
#include "test_commands_line.moc"

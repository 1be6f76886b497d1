// The command buttons on the window: what each one sends, what it leaves in the status line,
// the connect caption, the last-commanded angle and the receive buffer, with the port open
// and closed; the stories that chain them; the switch buttons.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <map>
#include <memory>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString SettingsLine = QStringLiteral("3,9600,N,8,1:0\r\n");
const QString InProgress = QStringLiteral("作成中です。");
const QColor SwitchedOn(0xFF, 0xC0, 0xFF);

QPushButton* button(Form1& form, const QString& name) {
    const std::map<QString, QPushButton*> buttons{
        {QStringLiteral("Command1"), form.Command1},
        {QStringLiteral("Command2"), form.Command2},
        {QStringLiteral("Command3"), form.Command3},
        {QStringLiteral("Command4"), form.Command4},
        {QStringLiteral("Command5"), form.Command5},
        {QStringLiteral("Command7"), form.Command7},
        {QStringLiteral("Command9"), form.Command9},
        {QStringLiteral("Command10"), form.Command10},
        {QStringLiteral("Command11"), form.Command11},
        {QStringLiteral("Command12"), form.Command12},
    };
    return buttons.at(name);
}

QColor faceColour(const QPushButton* switchButton) {
    return switchButton->palette().color(QPalette::Button);
}

QColor buttonFace(const QPushButton* switchButton) {
    return QApplication::palette(switchButton).color(QPalette::Button);
}

// The window started on a fake port that opened.
struct FakeStation {
    FakeStation() {
        dir.writeFile(QStringLiteral("ROTEKA.DAT"), SettingsLine.toLatin1());
        form = std::make_unique<Form1>(platform.services());
        form->Form_Load();
    }
    TestDirectory dir;
    FakePlatform platform;
    std::unique_ptr<Form1> form;
};

void setClosedPortStart(Form1& form) {
    form.Command6->setText(QStringLiteral("切断"));
    form.Label5->setText(QStringLiteral("123"));
    form.ReceiveBuffer = QStringLiteral("AZ=1");
    form.Text3->setText(QStringLiteral("V"));
}

void checkClosedPortEnd(Form1& form) {
    QFETCH(QString, connectCaption);
    QFETCH(QString, angle);
    QFETCH(QString, buffer);
    QCOMPARE(form.Label1->text(), QStringLiteral("port = False"));
    QCOMPARE(form.Command6->text(), connectCaption);
    QCOMPARE(form.Label5->text(), angle);
    QCOMPARE(form.ReceiveBuffer, buffer);
    QCOMPARE(form.Text3->text(), QStringLiteral("V"));
}

} // namespace

class CommandHandlersTest : public QObject {
    Q_OBJECT
private slots:
    void closedPort_data();
    void closedPort();
    void closedPortOnLine_data() { closedPort_data(); }
    void closedPortOnLine();
    void openPort_data();
    void openPort();
    void stepsThroughTheWindow_data();
    void stepsThroughTheWindow();
    void turnLeftThenStepRight();
    void turnRightThenStepLeft();
    void stopBeforeAnyReply();
    void goToTypedAsFreeCommandLeavesTheAngle();
    void twoTurnsLeftSendTwoLines();
    void switchToggles_data();
    void switchToggles();
    void switchStartingInAnotherColourTurnsPinkFirst();
};

void CommandHandlersTest::closedPort_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("connectCaption");
    QTest::addColumn<QString>("angle");
    QTest::addColumn<QString>("buffer");

    QTest::newRow("turn left") << "Command1"
                               << "接続"
                               << "184"
                               << "";
    QTest::newRow("stop") << "Command2"
                          << "接続"
                          << "123"
                          << "";
    QTest::newRow("turn right") << "Command3"
                                << "切断"
                                << "176"
                                << "";
    QTest::newRow("step right") << "Command4"
                                << "切断"
                                << "123"
                                << "AZ=1";
    QTest::newRow("step left") << "Command5"
                               << "接続"
                               << "123"
                               << "AZ=1";
    QTest::newRow("free command") << "Command9"
                                  << "接続"
                                  << "123"
                                  << "AZ=1";
}

void CommandHandlersTest::closedPort() {
    QFETCH(QString, button);
    FakeStation station;
    Form1& form = *station.form;
    QVERIFY(station.platform.serial.portOpen());
    station.platform.serial.setPortOpen(false);
    setClosedPortStart(form);

    ::button(form, button)->click();
    ::button(form, button)->click();

    checkClosedPortEnd(form);
    QCOMPARE(station.platform.serial.written, QByteArray());
    QCOMPARE(station.platform.messages.shown, QStringList());
}

void CommandHandlersTest::closedPortOnLine() {
    QFETCH(QString, button);
    PtyStation station(7);
    Form1& form = *station.form;
    QVERIFY(station.platform.serial.portOpen());
    form.Command6->click();
    QVERIFY(!station.platform.serial.portOpen());
    setClosedPortStart(form);

    ::button(form, button)->click();
    ::button(form, button)->click();

    checkClosedPortEnd(form);
    QCOMPARE(station.controller->readFor(300), QByteArray());
    QCOMPARE(station.messages.shown, QStringList());
}

void CommandHandlersTest::openPort_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("angle");
    QTest::addColumn<QString>("buffer");

    QTest::newRow("turn left") << "Command1" << QByteArray("L\r\n") << "184"
                               << "";
    QTest::newRow("stop takes the azimuth") << "Command2" << QByteArray("A\r\n") << "123"
                                            << "";
    QTest::newRow("turn right") << "Command3" << QByteArray("R\r\n") << "176"
                                << "";
    QTest::newRow("step right") << "Command4" << QByteArray("M215\r\n") << "215"
                                << "AZ=1";
    QTest::newRow("step left") << "Command5" << QByteArray("M185\r\n") << "185"
                               << "AZ=1";
    QTest::newRow("free command") << "Command9" << QByteArray("v\r\n") << "200"
                                  << "AZ=1";
}

void CommandHandlersTest::openPort() {
    QFETCH(QString, button);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, angle);
    QFETCH(QString, buffer);
    FakeStation station;
    Form1& form = *station.form;
    form.Label4->setCaption(QStringLiteral("123"));
    form.Label5->setText(QStringLiteral("200"));
    form.ReceiveBuffer = QStringLiteral("AZ=1");
    form.Text3->setText(QStringLiteral("v"));

    ::button(form, button)->click();

    QCOMPARE(station.platform.serial.written, bytes);
    QCOMPARE(form.Label5->text(), angle);
    QCOMPARE(form.ReceiveBuffer, buffer);
    QCOMPARE(form.Label1->text(), QStringLiteral("Port = True"));
    QCOMPARE(form.Command6->text(), QStringLiteral("切断"));
    QCOMPARE(form.Text3->text(), QStringLiteral("v"));
    QCOMPARE(station.platform.messages.shown, QStringList());
}

void CommandHandlersTest::stepsThroughTheWindow_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("angle");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("right before any reply") << ""
                                            << "Command4"
                                            << "15" << QByteArray("M015\r\n");
    QTest::newRow("left before any reply") << ""
                                           << "Command5"
                                           << "345" << QByteArray("M345\r\n");
    QTest::newRow("right from 345") << "345"
                                    << "Command4"
                                    << "0" << QByteArray("M000\r\n");
    QTest::newRow("left from 15") << "15"
                                  << "Command5"
                                  << "360" << QByteArray("M360\r\n");
    QTest::newRow("left from -400") << "-400"
                                    << "Command5"
                                    << "-55" << QByteArray("M-55\r\n");
    QTest::newRow("right from -400 not sent, angle kept") << "-400"
                                                          << "Command4"
                                                          << "-385" << QByteArray();
    QTest::newRow("right from 9990 not sent, angle kept") << "9990"
                                                          << "Command4"
                                                          << "9645" << QByteArray();
}

void CommandHandlersTest::stepsThroughTheWindow() {
    QFETCH(QString, before);
    QFETCH(QString, button);
    QFETCH(QString, angle);
    QFETCH(QByteArray, bytes);
    FakeStation station;
    Form1& form = *station.form;
    form.Label5->setText(before);

    ::button(form, button)->click();

    QCOMPARE(form.Label5->text(), angle);
    QCOMPARE(station.platform.serial.written, bytes);
}

void CommandHandlersTest::turnLeftThenStepRight() {
    FakeStation station;
    station.form->Command1->click();
    station.form->Command4->click();
    QCOMPARE(station.platform.serial.written, QByteArray("L\r\nM199\r\n"));
    QCOMPARE(station.form->Label5->text(), QStringLiteral("199"));
}

void CommandHandlersTest::turnRightThenStepLeft() {
    FakeStation station;
    station.form->Command3->click();
    station.form->Command5->click();
    QCOMPARE(station.platform.serial.written, QByteArray("R\r\nM161\r\n"));
    QCOMPARE(station.form->Label5->text(), QStringLiteral("161"));
}

void CommandHandlersTest::stopBeforeAnyReply() {
    FakeStation station;
    QCOMPARE(station.form->Label5->text(), QString());
    QCOMPARE(station.form->Label4->text(), QStringLiteral("000"));
    station.form->Command2->click();
    QCOMPARE(station.platform.serial.written, QByteArray("A\r\n"));
    QCOMPARE(station.form->Label5->text(), QStringLiteral("000"));
    station.form->Command4->click();
    QCOMPARE(station.platform.serial.written, QByteArray("A\r\nM015\r\n"));
}

void CommandHandlersTest::goToTypedAsFreeCommandLeavesTheAngle() {
    FakeStation station;
    Form1& form = *station.form;
    form.Command1->click();
    form.Text3->setText(QStringLiteral("M090"));
    form.Command9->click();
    QCOMPARE(form.Label5->text(), QStringLiteral("184"));
    form.Command4->click();
    QCOMPARE(station.platform.serial.written, QByteArray("L\r\nM090\r\nM199\r\n"));
    QCOMPARE(form.Label5->text(), QStringLiteral("199"));
    QCOMPARE(form.Text3->text(), QStringLiteral("M090"));
}

void CommandHandlersTest::twoTurnsLeftSendTwoLines() {
    FakeStation station;
    station.form->Command1->click();
    station.form->Command1->click();
    QCOMPARE(station.platform.serial.written, QByteArray("L\r\nL\r\n"));
}

void CommandHandlersTest::switchToggles_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("SW1") << "Command7";
    QTest::newRow("SW2") << "Command10";
    QTest::newRow("SW3") << "Command11";
    QTest::newRow("SW4") << "Command12";
}

void CommandHandlersTest::switchToggles() {
    QFETCH(QString, button);
    FakeStation station;
    Form1& form = *station.form;
    const QStringList all{QStringLiteral("Command7"), QStringLiteral("Command10"),
                          QStringLiteral("Command11"), QStringLiteral("Command12")};
    for (const QString& name : all)
        QCOMPARE(faceColour(::button(form, name)), buttonFace(::button(form, name)));
    form.Label5->setText(QStringLiteral("123"));
    QPushButton* switchButton = ::button(form, button);

    switchButton->click();
    QCOMPARE(faceColour(switchButton), SwitchedOn);
    QCOMPARE(station.platform.messages.shown, QStringList{InProgress});
    for (const QString& name : all) {
        if (name != button)
            QCOMPARE(faceColour(::button(form, name)), buttonFace(::button(form, name)));
    }

    switchButton->click();
    QCOMPARE(faceColour(switchButton), buttonFace(switchButton));
    QCOMPARE(station.platform.messages.shown, (QStringList{InProgress, InProgress}));

    switchButton->click();
    QCOMPARE(faceColour(switchButton), SwitchedOn);
    QCOMPARE(station.platform.serial.written, QByteArray());
    QCOMPARE(form.Label5->text(), QStringLiteral("123"));
    QCOMPARE(form.Label1->text(), QStringLiteral("Port = True"));
}

void CommandHandlersTest::switchStartingInAnotherColourTurnsPinkFirst() {
    FakeStation station;
    Form1& form = *station.form;
    QPalette inherited = form.Command7->parentWidget()->palette();
    inherited.setColor(QPalette::Button, QColor(0x00, 0x00, 0xC0));
    form.Command7->parentWidget()->setPalette(inherited);
    QCOMPARE(faceColour(form.Command7), QColor(0x00, 0x00, 0xC0));

    form.Command7->click();
    QCOMPARE(faceColour(form.Command7), SwitchedOn);
    form.Command7->click();
    QCOMPARE(faceColour(form.Command7), buttonFace(form.Command7));
}

QTEST_MAIN(CommandHandlersTest)
#include "test_commands_handlers.moc"

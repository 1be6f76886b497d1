#include "control/RotatorControl.h"

#include "platform/DeviceCatalogue.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/SerialPort.h"
#include "platform/SettingsFile.h"
#include "rules/CommandRules.h"
#include "rules/Numbers.h"
#include "rules/ReplyScanner.h"
#include "rules/SettingsLine.h"

#include <cmath>

namespace roteka {

namespace {

// A free turn runs the antenna to the rotator's end stop at south. The commanded angle takes
// the bearing just short of it on the side the turn goes, so that a step after the turn starts
// from there: 4 degrees past south turning left, 4 degrees before it turning right.
const QString TurnLeftEnd = QStringLiteral("184");
const QString TurnRightEnd = QStringLiteral("176");

const QString ProvisionalCreated = messageLines({
    QStringLiteral("「ROTEKA.DAT」が有りませんでしたので新たに暫定データを作成しました。"),
    QStringLiteral("（コムポート＝３）"),
    QString(),
    QStringLiteral("表示の環境設定ページを修正し登録してください。"),
    QStringLiteral("変更登録後は再起動が必要です。"),
});

const QString StartupFailure = messageLines({
    QStringLiteral("ポートを設定しようとしましたが、このポートのオープンに失敗しました。"),
    QString(),
    QStringLiteral("パソコンのコムポートに合わせ修正し環境登録ボタンで登録してください。"),
    QString(),
    QStringLiteral("旧システムで環境設定している場合は、「ROTEKA.DAT」を新バージョン用に変更しまし"
                   "たので再設定してください。"),
});

const QString LegacyConverted =
    QStringLiteral("旧システムでの環境設定のため、「ROTEKA.DAT」を新バージョン用に変更しました"
                   "ので再確認してください。");

const QString Registered = messageLines({
    QStringLiteral("環境への登録が終了しました。"),
    QString(),
    QStringLiteral("コムポート変更の場合はこのプログラムを一度再起動してください。"),
});

const QString PortChosen = messageLines({
    QStringLiteral("ポート変更が完了しました。"),
    QString(),
    QStringLiteral("　設定内容は環境設定登録後に有効となります。"),
    QStringLiteral("　環境設定登録後にポートを確認してください。"),
    QStringLiteral("　ポートが有効「ﾎﾟｰﾄ = True」となった場合であっても、一度プログラムを再起動後"
                   "に使用してください。"),
});

const QString Unfinished = QStringLiteral("作成中です。");

const QString Connected = QStringLiteral("Port = ");
const QString Disconnected = QStringLiteral("Port を切断しました。");
const QString RegisteredPort = QStringLiteral(" ﾎﾟｰﾄ=");
const QString FoundClosed = QStringLiteral("port = ");

// The one reply the controller sends before it has measured anything.
const QString NoAzimuthYet = QStringLiteral("000");

} // namespace

RotatorControl::RotatorControl(SerialPort& serial, DeviceCatalogue& devices, MessageBoxes& messages,
                               QObject* parent)
    : QObject(parent), serial_(serial), devices_(devices), messages_(messages) {
    connect(&serial_, &SerialPort::received, this, &RotatorControl::readReplies);
    connect(&serial_, &SerialPort::deviceLost, this, [this] { reportPortClosed(true); });
}

bool RotatorControl::portIsOpen() const {
    return serial_.isOpen();
}

// Start-up and settings

void RotatorControl::startUp() {
    try {
        setStatusLine(QString());
        setCommandedAngle(QString());
        QStringList names;
        carryOn([&] { names = devices_.serialDeviceNames(); });
        names.removeAll(QString());
        emit portListFound(names);
        if (!readSettingsFile()) {
            writeSettingsFile();
            emit pageChosen(SettingsPage);
            messages_.show(ProvisionalCreated);
        } else {
            emit pageChosen(OperatingPage);
            applySettingsLine();
        }
        setUpPort(false);
        setStatusLine(Connected + boolText(serial_.isOpen()));
        if (serial_.isOpen())
            setOffersConnect(false);
        else
            reportPortClosed(true);
    } catch (const PlatformError&) {
        reportStartupFailure();
    }
}

void RotatorControl::reportStartupFailure() {
    setStatusLine(QString());
    messages_.show(StartupFailure);
}

bool RotatorControl::readSettingsFile() {
    if (!settingsFileExists(settingsFileName_))
        return false;
    settingsLine_ = readSettingsLine(settingsFileName_);
    return true;
}

void RotatorControl::applySettingsLine() {
    const auto fields = splitSettingsLine(settingsLine_);
    if (!fields)
        throw PlatformError(QStringLiteral("the settings line lacks its \",\" or \":\""));
    if (!fields->portNumber.isEmpty())
        portNumberField_ = fields->portNumber;
    appliedPortNumber_ = portNumberField_;
    if (!fields->lineSettings.isEmpty())
        lineSettingsField_ = fields->lineSettings;
    appliedLineSettings_ = lineSettingsField_;
    offsetField_ = fields->offset;
    if (fields->legacy && offsetField_.isEmpty())
        offsetField_ = QStringLiteral("0");
    emit settingsFieldsChanged();
    if (!fields->legacy)
        return;
    writeSettingsFile();
    messages_.show(LegacyConverted);
}

void RotatorControl::writeSettingsFile() {
    settingsLine_ = buildSettingsLine(portNumberField_, lineSettingsField_, offsetField_);
    writeSettingsLine(settingsFileName_, settingsLine_);
}

void RotatorControl::setUpPort(bool carryOnPastFailures) {
    const auto step = [carryOnPastFailures](auto&& action) {
        if (carryOnPastFailures)
            carryOn(action);
        else
            action();
    };
    step([this] {
        const auto number = toInt16(appliedPortNumber_);
        if (!number)
            throw PlatformError(QStringLiteral("\"%1\" is no port number").arg(appliedPortNumber_));
        serial_.setPortNumber(*number);
    });
    step([this] { serial_.setLineSettings(appliedLineSettings_); });
    step([this] { serial_.open(); });
}

void RotatorControl::registerSettings() {
    serial_.close();
    if (offsetField_.isEmpty()) {
        offsetField_ = QStringLiteral("0");
        emit settingsFieldsChanged();
    }
    std::optional<QString> writeFailure;
    try {
        writeSettingsFile();
    } catch (const PlatformError& error) {
        writeFailure = error.message();
    }
    appliedPortNumber_ = portNumberField_;
    appliedLineSettings_ = lineSettingsField_;
    setUpPort(true);
    setStatusLine(RegisteredPort + boolText(serial_.isOpen()));
    setOffersConnect(!serial_.isOpen());
    if (!writeFailure)
        messages_.show(Registered);
    else
        messages_.show(
            messageLines({QStringLiteral("「%1」に書き込めませんでした。").arg(settingsFileName_),
                          *writeFailure}));
}

void RotatorControl::setPortNumberField(const QString& text) {
    if (text == portNumberField_)
        return;
    portNumberField_ = text;
    emit settingsFieldsChanged();
}

void RotatorControl::setLineSettingsField(const QString& text) {
    if (text == lineSettingsField_)
        return;
    lineSettingsField_ = text;
    emit settingsFieldsChanged();
}

void RotatorControl::setOffsetField(const QString& text) {
    if (text == offsetField_)
        return;
    offsetField_ = text;
    emit settingsFieldsChanged();
}

// The serial link

// The button acts on what it offers, whatever the port's state: offering "disconnect" with the
// port already closed (lost, say), a press changes nothing.
void RotatorControl::toggleConnection() {
    if (offersConnect_) {
        carryOn([this] {
            if (!serial_.isOpen())
                serial_.open();
        });
        setOffersConnect(false);
        setStatusLine(Connected + boolText(serial_.isOpen()));
    } else if (serial_.isOpen()) {
        serial_.close();
        setOffersConnect(true);
        setStatusLine(Disconnected + boolText(serial_.isOpen()));
    }
}

void RotatorControl::choosePort(const QString& listEntry) {
    setPortNumberField(portNumberOfListEntry(listEntry));
    messages_.show(PortChosen);
}

// Commands

// The line goes to the port as text, in one write. The fixed commands are ASCII; a free command
// is passed on exactly as typed, whatever characters it holds. The port turns characters into
// bytes with the system's 8-bit encoding: UTF-8 on Linux and macOS, the ANSI code page on
// Windows (Shift_JIS on a Japanese system, where characters outside it become "?").
void RotatorControl::sendLine(const QString& text) {
    serial_.write(text + QStringLiteral("\r\n"));
}

// Whether there was a go-to command to send: an angle of more than three characters has none.
bool RotatorControl::sendGoTo() {
    const auto line = goToLine(commandedAngle_);
    if (line)
        sendLine(*line);
    return line.has_value();
}

void RotatorControl::reportPortClosed(bool offerConnect) {
    setStatusLine(FoundClosed + boolText(serial_.isOpen()));
    if (offerConnect)
        setOffersConnect(true);
}

void RotatorControl::turnLeft() {
    setCommandedAngle(TurnLeftEnd);
    receiveBuffer_.clear();
    if (!serial_.isOpen())
        return reportPortClosed(true);
    carryOn([this] { sendLine(QStringLiteral("L")); });
}

// Stop is sent whatever the port's state, so that a port that only seems closed still stops
// the antenna.
void RotatorControl::stop() {
    receiveBuffer_.clear();
    carryOn([this] { sendLine(QStringLiteral("A")); });
    if (!serial_.isOpen())
        return reportPortClosed(true);
    setCommandedAngle(azimuth_);
}

void RotatorControl::turnRight() {
    setCommandedAngle(TurnRightEnd);
    receiveBuffer_.clear();
    if (!serial_.isOpen())
        return reportPortClosed(false);
    carryOn([this] { sendLine(QStringLiteral("R")); });
}

void RotatorControl::stepRight() {
    if (!serial_.isOpen())
        return reportPortClosed(false);
    setCommandedAngle(roteka::stepRight(commandedAngle_));
    carryOn([this] { sendGoTo(); });
}

void RotatorControl::stepLeft() {
    if (!serial_.isOpen())
        return reportPortClosed(true);
    setCommandedAngle(roteka::stepLeft(commandedAngle_));
    carryOn([this] { sendGoTo(); });
}

// A target beyond 16 bits (an absurd offset) is ignored: sending the previous one would be wrong.
RotatorControl::Outcome RotatorControl::turnToBearing(double bearing) {
    const auto target = mapTarget(bearing, offsetField_);
    if (!target)
        return Refused;
    setCommandedAngle(QString::number(*target));
    receiveBuffer_.clear();
    if (!serial_.isOpen()) {
        reportPortClosed(true);
        return PortClosed;
    }
    bool sent = false;
    if (!carryOn([&] { sent = sendGoTo(); }) || !serial_.isOpen())
        return PortClosed;
    return sent ? Done : Refused;
}

void RotatorControl::sendCommand(const QString& text) {
    if (!serial_.isOpen())
        return reportPortClosed(true);
    carryOn([&] { sendLine(text); });
}

// The four switches are placeholders for controller functions still to come: a press only
// toggles the switch and says so.
void RotatorControl::toggleSwitch(int index) {
    bool& on = switches_.at(size_t(index));
    on = !on;
    emit switchChanged(index, on);
    messages_.show(Unfinished);
}

// Replies

void RotatorControl::readReplies() {
    for (const QChar c : serial_.readAll()) {
        receiveBuffer_ += c;
        if (const auto azimuth = scanStep(receiveBuffer_))
            setAzimuth(QString::number(*azimuth));
    }
    if (waitingFirstValue_ && azimuth_ != NoAzimuthYet) {
        waitingFirstValue_ = false;
        setCommandedAngle(azimuth_);
        emit firstValueTaken();
    }
}

std::optional<double> RotatorControl::azimuthLessOffset() const {
    if (!serial_.isOpen())
        return std::nullopt;
    const double azimuth = std::fmod(leadingNumber(azimuth_) - leadingNumber(offsetField_), 360.0);
    return azimuth < 0 ? azimuth + 360 : azimuth;
}

// State changes, each announced

void RotatorControl::setStatusLine(const QString& text) {
    statusLine_ = text;
    emit statusLineChanged(text);
}

void RotatorControl::setAzimuth(const QString& text) {
    if (text == azimuth_)
        return;
    azimuth_ = text;
    emit azimuthChanged(text);
}

void RotatorControl::setCommandedAngle(const QString& text) {
    commandedAngle_ = text;
    emit commandedAngleChanged(text);
}

void RotatorControl::setOffersConnect(bool offersConnect) {
    offersConnect_ = offersConnect;
    emit connectOfferChanged(offersConnect);
}

} // namespace roteka

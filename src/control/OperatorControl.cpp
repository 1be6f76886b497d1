#include "control/OperatorControl.h"

#include "control/ControllerLink.h"
#include "control/Logging.h"
#include "control/SettingsStore.h"
#include "platform/DeviceCatalogue.h"
#include "platform/Logging.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "rules/Numbers.h"
#include "rules/PointerGeometry.h"

namespace roteka {

namespace {

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

} // namespace

OperatorControl::OperatorControl(ControllerLink& link, SettingsStore& settings,
                                 DeviceCatalogue& devices, MessageBoxes& messages, QObject* parent)
    : QObject(parent), link_(link), settings_(settings), devices_(devices), messages_(messages) {
    connect(&link_, &ControllerLink::azimuthReported, this, &OperatorControl::takeReport);
    connect(&link_, &ControllerLink::arrivalScanned, this, &OperatorControl::takeFirstValue);
    connect(&link_, &ControllerLink::lost, this, [this] { reportPortClosed(true); });
}

bool OperatorControl::portIsOpen() const {
    return link_.isOpen();
}

// Start-up and settings

void OperatorControl::startUp() {
    try {
        setStatusLine(QString());
        setCommandedAngle(std::nullopt);
        QStringList names;
        carryOn(lcSerial, "listing the serial devices",
                [&] { names = devices_.serialDeviceNames(); });
        names.removeAll(QString());
        emit portListFound(names);
        if (!settings_.exists()) {
            writeSettingsFile();
            emit pageChosen(SettingsPage);
            messages_.show(ProvisionalCreated);
        } else {
            emit pageChosen(OperatingPage);
            applySettings(settings_.read());
        }
        setUpPort(false);
        setStatusLine(Connected + boolText(link_.isOpen()));
        if (link_.isOpen())
            setOffersConnect(false);
        else
            reportPortClosed(true);
    } catch (const PlatformError& error) {
        qCWarning(lcControl).noquote() << "start-up failed:" << error.message();
        reportStartupFailure();
    }
}

void OperatorControl::reportStartupFailure() {
    setStatusLine(QString());
    messages_.show(StartupFailure);
}

// A field left empty in the file keeps what the page shows. The older form's offset, when empty,
// is 0, and the file is written anew in the current form.
void OperatorControl::applySettings(const SettingsFields& fields) {
    if (!fields.portNumber.isEmpty())
        portNumberField_ = fields.portNumber;
    appliedPortNumber_ = portNumberField_;
    if (!fields.lineSettings.isEmpty())
        lineSettingsField_ = fields.lineSettings;
    appliedLineSettings_ = lineSettingsField_;
    const QString offset =
        fields.legacy && fields.offset.isEmpty() ? QStringLiteral("0") : fields.offset;
    offsetField_.clear();
    setOffsetField(offset);
    emit settingsFieldsChanged();
    if (!fields.legacy)
        return;
    writeSettingsFile();
    messages_.show(LegacyConverted);
}

void OperatorControl::writeSettingsFile() {
    settings_.write(portNumberField_, lineSettingsField_, offsetField_);
}

void OperatorControl::setUpPort(bool carryOnPastFailures) {
    const auto step = [carryOnPastFailures](const char* doing, auto&& action) {
        if (carryOnPastFailures)
            carryOn(lcSerial, doing, action);
        else
            action();
    };
    step("setting the port number", [this] { link_.setPortNumber(appliedPortNumber_); });
    step("setting the line settings", [this] { link_.setLineSettings(appliedLineSettings_); });
    step("opening the port", [this] { link_.open(); });
}

void OperatorControl::registerSettings() {
    link_.close();
    if (offsetField_.isEmpty())
        setOffsetField(QStringLiteral("0"));
    std::optional<QString> writeFailure;
    try {
        writeSettingsFile();
    } catch (const PlatformError& error) {
        qCWarning(lcSettings).noquote() << "registering the settings:" << error.message();
        writeFailure = error.message();
    }
    appliedPortNumber_ = portNumberField_;
    appliedLineSettings_ = lineSettingsField_;
    setUpPort(true);
    setStatusLine(RegisteredPort + boolText(link_.isOpen()));
    setOffersConnect(!link_.isOpen());
    if (!writeFailure)
        messages_.show(Registered);
    else
        messages_.show(
            messageLines({QStringLiteral("「%1」に書き込めませんでした。").arg(settings_.path()),
                          *writeFailure}));
}

void OperatorControl::setPortNumberField(const QString& text) {
    if (text == portNumberField_)
        return;
    portNumberField_ = text;
    emit settingsFieldsChanged();
}

void OperatorControl::setLineSettingsField(const QString& text) {
    if (text == lineSettingsField_)
        return;
    lineSettingsField_ = text;
    emit settingsFieldsChanged();
}

void OperatorControl::setOffsetField(const QString& text) {
    if (text == offsetField_)
        return;
    offsetField_ = text;
    const double offset = leadingNumber(text);
    const bool set = aimPointerWanted(text);
    if (offset != offset_ || set != offsetSet_) {
        offset_ = offset;
        offsetSet_ = set;
        emit offsetChanged();
    }
    emit settingsFieldsChanged();
}

// The serial link

// The button acts on what it offers, whatever the port's state: offering "disconnect" with the
// port already closed (lost, say), a press changes nothing.
void OperatorControl::toggleConnection() {
    if (offersConnect_) {
        carryOn(lcSerial, "connecting", [this] {
            if (!link_.isOpen())
                link_.open();
        });
        setOffersConnect(false);
        setStatusLine(Connected + boolText(link_.isOpen()));
    } else if (link_.isOpen()) {
        link_.close();
        setOffersConnect(true);
        setStatusLine(Disconnected + boolText(link_.isOpen()));
    }
}

void OperatorControl::choosePort(const QString& listEntry) {
    setPortNumberField(portNumberOfListEntry(listEntry));
    messages_.show(PortChosen);
}

// Commands

void OperatorControl::reportPortClosed(bool offerConnect) {
    setStatusLine(FoundClosed + boolText(link_.isOpen()));
    if (offerConnect)
        setOffersConnect(true);
}

void OperatorControl::turnLeft() {
    setCommandedAngle(CommandedAngle{TurnLeftEnd});
    link_.dropPartialReply();
    if (!link_.isOpen())
        return reportPortClosed(true);
    carryOn(lcSerial, "turning left", [this] { link_.turnLeft(); });
}

// Stop is sent whatever the port's state, so that a port that only seems closed still stops
// the antenna.
void OperatorControl::stop() {
    link_.dropPartialReply();
    carryOn(lcSerial, "stopping", [this] { link_.stop(); });
    if (!link_.isOpen())
        return reportPortClosed(true);
    setCommandedAngle(azimuth_ ? CommandedAngle{*azimuth_} : CommandedAngle{0, true});
}

void OperatorControl::turnRight() {
    setCommandedAngle(CommandedAngle{TurnRightEnd});
    link_.dropPartialReply();
    if (!link_.isOpen())
        return reportPortClosed(false);
    carryOn(lcSerial, "turning right", [this] { link_.turnRight(); });
}

void OperatorControl::stepRight() {
    if (!link_.isOpen())
        return reportPortClosed(false);
    const int angle = roteka::stepRight(commandedDegrees());
    setCommandedAngle(CommandedAngle{angle});
    carryOn(lcSerial, "stepping right", [&] { link_.goTo(angle); });
}

void OperatorControl::stepLeft() {
    if (!link_.isOpen())
        return reportPortClosed(true);
    const int angle = roteka::stepLeft(commandedDegrees());
    setCommandedAngle(CommandedAngle{angle});
    carryOn(lcSerial, "stepping left", [&] { link_.goTo(angle); });
}

std::optional<int> OperatorControl::commandedDegrees() const {
    return commandedAngle_ ? std::optional(commandedAngle_->degrees) : std::nullopt;
}

// A target beyond 16 bits (an absurd offset) is ignored: sending the previous one would be wrong.
OperatorControl::Outcome OperatorControl::turnToBearing(double bearing) {
    const auto target = mapTarget(bearing, offset_);
    if (!target) {
        qCWarning(lcControl) << "no target for the bearing" << bearing << "with the offset"
                             << offset_;
        return Outcome::Refused;
    }
    setCommandedAngle(CommandedAngle{*target});
    link_.dropPartialReply();
    if (!link_.isOpen()) {
        reportPortClosed(true);
        return Outcome::PortClosed;
    }
    bool sent = false;
    if (!carryOn(lcSerial, "turning to a bearing", [&] { sent = link_.goTo(*target); }) ||
        !link_.isOpen())
        return Outcome::PortClosed;
    return sent ? Outcome::Done : Outcome::Refused;
}

// The line goes to the port exactly as typed, whatever characters it holds; the port turns them
// into bytes in the system's 8-bit encoding (on a Japanese Windows, characters outside Shift_JIS
// become "?").
void OperatorControl::sendCommand(const QString& text) {
    if (!link_.isOpen())
        return reportPortClosed(true);
    carryOn(lcSerial, "sending a command", [&] { link_.send(text); });
}

// The four switches are placeholders for controller functions still to come: a press only
// toggles the switch and says so.
void OperatorControl::toggleSwitch(int index) {
    bool& on = switches_.at(size_t(index));
    on = !on;
    emit switchChanged(index, on);
    messages_.show(Unfinished);
}

// Replies

void OperatorControl::takeReport(int degrees) {
    if (azimuth_ == degrees)
        return;
    azimuth_ = degrees;
    emit azimuthChanged();
}

// Once everything that arrived together has been read: the first report becomes the commanded
// angle, whatever was commanded before it.
void OperatorControl::takeFirstValue() {
    if (!waitingFirstValue_ || !azimuth_)
        return;
    waitingFirstValue_ = false;
    setCommandedAngle(CommandedAngle{*azimuth_});
    emit firstValueTaken();
}

// State changes, each announced

void OperatorControl::setStatusLine(const QString& text) {
    if (text == statusLine_)
        return;
    statusLine_ = text;
    emit statusLineChanged(text);
}

void OperatorControl::setCommandedAngle(const std::optional<CommandedAngle>& angle) {
    if (angle == commandedAngle_)
        return;
    commandedAngle_ = angle;
    emit commandedAngleChanged();
}

void OperatorControl::setOffersConnect(bool offersConnect) {
    if (offersConnect == offersConnect_)
        return;
    offersConnect_ = offersConnect;
    emit connectOfferChanged(offersConnect);
}

} // namespace roteka

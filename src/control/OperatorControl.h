#pragma once

#include "rules/CommandRules.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace roteka {

class ControllerLink;
class DeviceCatalogue;
class MessageBoxes;
class SettingsStore;
struct SettingsFields;

// Responsibilities: the operator's control of the rotator, without any widget. It carries out
// the operator's actions (the buttons, a click's bearing, the free command, the connect button,
// the settings page) on the controller link and the settings store, keeps the rotator's state as
// the operator knows it (the azimuth the controller reported, the commanded angle, the offset,
// whether the first report is awaited) and what the window shows of the link (the status line,
// what the connect button offers, the page to show, the switches), tells the operator in messages
// what needs telling, and announces every change. A failure an action carries on past is logged.
class OperatorControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString statusLine READ statusLine NOTIFY statusLineChanged)
    Q_PROPERTY(std::optional<int> azimuth READ azimuth NOTIFY azimuthChanged)
    Q_PROPERTY(std::optional<roteka::CommandedAngle> commandedAngle READ commandedAngle NOTIFY
                   commandedAngleChanged)
    Q_PROPERTY(bool waitingFirstValue READ waitingFirstValue NOTIFY firstValueTaken)
    Q_PROPERTY(bool offersConnect READ offersConnect NOTIFY connectOfferChanged)
    Q_PROPERTY(double offset READ offset NOTIFY offsetChanged)
    Q_PROPERTY(bool offsetSet READ offsetSet NOTIFY offsetChanged)
    Q_PROPERTY(QString portNumberField READ portNumberField WRITE setPortNumberField NOTIFY
                   settingsFieldsChanged)
    Q_PROPERTY(QString lineSettingsField READ lineSettingsField WRITE setLineSettingsField NOTIFY
                   settingsFieldsChanged)
    Q_PROPERTY(
        QString offsetField READ offsetField WRITE setOffsetField NOTIFY settingsFieldsChanged)
public:
    // How a turn to a bearing went: Refused, there was no target the controller could be sent;
    // PortClosed, the port is closed or the command could not be written.
    enum class Outcome { Done, Refused, PortClosed };
    enum Page { OperatingPage, SettingsPage };
    static constexpr int SwitchCount = 4;

    OperatorControl(ControllerLink& link, SettingsStore& settings, DeviceCatalogue& devices,
                    MessageBoxes& messages, QObject* parent = nullptr);

    // Start-up, once: lists the serial devices, reads the settings file (or writes a provisional
    // one), chooses the page to show and opens the port, reporting whatever went wrong.
    void startUp();

    void turnLeft();
    void stop();
    void turnRight();
    void stepRight();
    void stepLeft();
    // The bearing of a click on the map, in degrees: the offset is added, the go-to line sent.
    Outcome turnToBearing(double bearing);
    void sendCommand(const QString& text);
    void toggleConnection();
    void registerSettings();
    void choosePort(const QString& listEntry);
    void toggleSwitch(int index);

    // The settings page's fields as the operator edits them.
    void setPortNumberField(const QString& text);
    void setLineSettingsField(const QString& text);
    void setOffsetField(const QString& text);

    const QString& statusLine() const { return statusLine_; }
    // The azimuth the controller last reported, whole degrees; none before its first report.
    std::optional<int> azimuth() const { return azimuth_; }
    std::optional<CommandedAngle> commandedAngle() const { return commandedAngle_; }
    bool waitingFirstValue() const { return waitingFirstValue_; }
    bool offersConnect() const { return offersConnect_; }
    // The offset field's leading number, in degrees (0 when it has none).
    double offset() const { return offset_; }
    // Whether the offset field holds anything but an empty text or a number equal to zero: the
    // map then shows where the antenna aims, the commanded angle less the offset.
    bool offsetSet() const { return offsetSet_; }
    const QString& portNumberField() const { return portNumberField_; }
    const QString& lineSettingsField() const { return lineSettingsField_; }
    const QString& offsetField() const { return offsetField_; }
    bool portIsOpen() const;

signals:
    void statusLineChanged(const QString& text);
    // A new azimuth report; the map shows the azimuth and the commanded angle anew.
    void azimuthChanged();
    void commandedAngleChanged();
    // The first report was taken as the commanded angle; the map adds the target pointer for it.
    void firstValueTaken();
    void connectOfferChanged(bool offersConnect);
    void offsetChanged();
    void switchChanged(int index, bool on);
    void settingsFieldsChanged();
    void portListFound(const QStringList& names);
    void pageChosen(OperatorControl::Page page);

private:
    // The commanded angle's degrees, none when nothing was commanded.
    std::optional<int> commandedDegrees() const;
    void takeReport(int degrees);
    void takeFirstValue();
    void reportStartupFailure();
    void applySettings(const SettingsFields& fields);
    void writeSettingsFile();
    void setUpPort(bool carryOnPastFailures);
    // The status line tells that the port is closed; the connect button offers "connect" again
    // when asked to. Turn right and step right leave the button as it is, unlike every other
    // action: operators know the buttons this way, so it stays.
    void reportPortClosed(bool offerConnect);

    void setStatusLine(const QString& text);
    void setCommandedAngle(const std::optional<CommandedAngle>& angle);
    void setOffersConnect(bool offersConnect);

    ControllerLink& link_;
    SettingsStore& settings_;
    DeviceCatalogue& devices_;
    MessageBoxes& messages_;

    QString statusLine_;
    std::optional<int> azimuth_;
    std::optional<CommandedAngle> commandedAngle_;
    bool waitingFirstValue_ = true;
    bool offersConnect_ = true;
    std::array<bool, SwitchCount> switches_{};
    QString portNumberField_ = QStringLiteral("3");
    QString lineSettingsField_ = QStringLiteral("9600,N,8,1");
    QString offsetField_ = QStringLiteral("0");
    double offset_ = 0;
    bool offsetSet_ = false;
    QString appliedPortNumber_;
    QString appliedLineSettings_;
};

} // namespace roteka

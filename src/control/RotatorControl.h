#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace roteka {

class DeviceCatalogue;
class MessageBoxes;
class SerialPort;

// Responsibilities: the program's logic without any widget. It holds the rotator's state under
// its own names (the azimuth as the controller reported it, the commanded angle, whether the
// first reply is still awaited, what the connect button offers, the status line, the switches,
// the receive buffer and the settings), carries out every operation the operator or a network
// client asks for, talks to the controller through the serial port, keeps the settings file,
// and announces each change of state with a signal. Angles stay texts, as the operator sees
// them and as the rules read them: "000" before the first reply is not the bearing 0.
class RotatorControl : public QObject {
    Q_OBJECT
public:
    // How a request went, for the network: Refused, there was no target the controller could
    // be sent; PortClosed, the port is closed or the command could not be written.
    enum Outcome { Done, Refused, PortClosed };
    enum Page { OperatingPage, SettingsPage };
    static constexpr int SwitchCount = 4;

    RotatorControl(SerialPort& serial, DeviceCatalogue& devices, MessageBoxes& messages,
                   QObject* parent = nullptr);

    // Start-up, once: lists the serial devices, reads the settings file (or writes a provisional
    // one), chooses the page to show and opens the port, reporting whatever went wrong.
    void startUp();

    // The operator's actions.
    void turnLeft();
    void stop();
    void turnRight();
    void stepRight();
    void stepLeft();
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

    // For network clients: the reported azimuth less the offset, 0 to 360; none with the port
    // closed.
    std::optional<double> azimuthLessOffset() const;

    const QString& statusLine() const { return statusLine_; }
    const QString& azimuth() const { return azimuth_; }
    const QString& commandedAngle() const { return commandedAngle_; }
    bool waitingFirstValue() const { return waitingFirstValue_; }
    bool offersConnect() const { return offersConnect_; }
    const QString& receiveBuffer() const { return receiveBuffer_; }
    const QString& portNumberField() const { return portNumberField_; }
    const QString& lineSettingsField() const { return lineSettingsField_; }
    const QString& offsetField() const { return offsetField_; }
    bool portIsOpen() const;

    // For tests and benchmarks: a reply half received.
    void setReceiveBuffer(const QString& text) { receiveBuffer_ = text; }

signals:
    void statusLineChanged(const QString& text);
    // A new azimuth report; the map shows the azimuth and the commanded angle anew.
    void azimuthChanged(const QString& azimuth);
    void commandedAngleChanged(const QString& angle);
    // The first report other than "000" was taken as the commanded angle; the map adds the
    // target pointer for it.
    void firstValueTaken();
    void connectOfferChanged(bool offersConnect);
    void switchChanged(int index, bool on);
    void settingsFieldsChanged();
    void portListFound(const QStringList& names);
    void pageChosen(Page page);

private:
    void readReplies();
    void reportStartupFailure();
    bool readSettingsFile();
    void applySettingsLine();
    void writeSettingsFile();
    void setUpPort(bool carryOnPastFailures);
    void sendLine(const QString& text);
    bool sendGoTo();
    // The status line tells that the port is closed; the connect button offers "connect" again
    // when asked to. Turn right and step right leave the button as it is, unlike every other
    // action: operators know the buttons this way, so it stays.
    void reportPortClosed(bool offerConnect);

    void setStatusLine(const QString& text);
    void setAzimuth(const QString& text);
    void setCommandedAngle(const QString& text);
    void setOffersConnect(bool offersConnect);

    SerialPort& serial_;
    DeviceCatalogue& devices_;
    MessageBoxes& messages_;

    QString statusLine_;
    QString azimuth_ = QStringLiteral("000");
    QString commandedAngle_;
    bool waitingFirstValue_ = true;
    bool offersConnect_ = true;
    std::array<bool, SwitchCount> switches_{};
    QString receiveBuffer_;
    QString portNumberField_ = QStringLiteral("3");
    QString lineSettingsField_ = QStringLiteral("9600,N,8,1");
    QString offsetField_ = QStringLiteral("0");
    QString appliedPortNumber_;
    QString appliedLineSettings_;
    QString settingsFileName_ = QStringLiteral("ROTEKA.DAT");
    QString settingsLine_;
};

} // namespace roteka

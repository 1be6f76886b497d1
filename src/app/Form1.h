#pragma once

#include "net/RemoteRotator.h"

#include <QString>
#include <QWidget>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace roteka {

class CaptionLabel;
class DeviceCatalogue;
class MessageBoxes;
class PictureBox;
class PointerPosition;
class SerialPort;
class TabControl;

// The platform services the window works through.
struct Platform {
    SerialPort& serial;       // the window's serial control, MSComm1
    DeviceCatalogue& devices; // the list of serial devices
    MessageBoxes& messages;   // modal messages
    PointerPosition& pointer; // pointer position and widget rectangles
};

// Responsibilities: the program's one window. It owns the controls, whose captions and texts
// carry the state shared by the handlers, and the form-level variables; it connects each
// event to its handler. The handlers are defined beside their subsystem (app, settings,
// serial, commands, feedback, map); they move texts between the controls and the rules,
// which are small functions of their own, and reach the platform only through Platform. Network
// clients reach the same handlers as a RemoteRotator.
class Form1 : public QWidget, public RemoteRotator {
    Q_OBJECT
public:
    explicit Form1(const Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: runs once, before the window is shown.
    void Form_Load();

    // Event handlers.
    void Command1_Click();  // turn left
    void Command2_Click();  // stop
    void Command3_Click();  // turn right
    void Command4_Click();  // step right
    void Command5_Click();  // step left
    void Command6_Click();  // connect / disconnect
    void Command7_Click();  // switch SW1
    void Command8_Click();  // settings registration
    void Command9_Click();  // free command
    void Command10_Click(); // switch SW2
    void Command11_Click(); // switch SW3
    void Command12_Click(); // switch SW4
    void Combo1_Click();
    void Picture1_Click();
    void MSComm1_OnComm();
    void MSComm1_DeviceLost();
    void Label4_Change();

    // Requests from network clients.
    Outcome turnTo(double bearing) override;
    Outcome stop() override;
    Outcome turn(bool clockwise) override;
    std::optional<double> azimuth() override;

    // Form-level variables.
    QString SettingsFileName;
    QString SettingsFileFound;
    QString PortNumberText;
    QString PortSettingsText;
    QString SettingsLine;
    QString ReceiveBuffer;

    // Controls.
    QLabel* Label1 = nullptr;        // status line
    std::array<QLabel*, 6> Label2{}; // [5]: initialisation marker
    std::array<QLabel*, 1> Label3{}; // free command hint
    CaptionLabel* Label4 = nullptr;  // current azimuth
    QLabel* Label5 = nullptr;        // last-commanded angle
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;
    QLineEdit* Text1 = nullptr;  // port number
    QLineEdit* Text2 = nullptr;  // line settings
    QLineEdit* Text3 = nullptr;  // free command
    QLineEdit* Text5 = nullptr;  // offset
    QComboBox* Combo1 = nullptr; // serial devices
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    TabControl* SSTab1 = nullptr;
    PictureBox* Picture1 = nullptr;
    SerialPort& MSComm1;

private:
    void createControls();
    void connectHandlers();

    // Start-up and settings.
    void ReportStartupFailure();
    bool ReadSettingsFile();
    void ApplySettingsLine();
    void WriteSettingsFile();

    // Serial link.
    void ListComPorts();
    void SetUpPort(bool skipFailedSteps);

    // Command channel.
    bool PortIsOpen() const;
    void SendLine(const QString& text);
    void ReportPortClosed(bool resetConnectCaption);
    bool SendGoTo();
    Outcome TurnToBearing(double bearing);
    void ToggleSwitch(QPushButton* button);

    // Map pointers.
    void DrawTargetPointer();
    void DrawAimPointer();

    DeviceCatalogue& devices_;
    MessageBoxes& messages_;
    PointerPosition& pointer_;
};

} // namespace roteka

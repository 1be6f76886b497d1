#pragma once

#include <QWidget>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace roteka {

class PictureBox;
class PointerPosition;
class RotatorControl;
class TabControl;

// Responsibilities: the program's one window. It builds the controls of the operating and the
// settings page, passes the operator's actions to the rotator control, and shows what the
// control announces: texts, the connect button's offer, the switches, and the map with its
// pointers. It holds no state of its own beyond what it shows.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(RotatorControl& control, PointerPosition& pointer, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controls, for tests and benchmarks to press and read.
    QLabel* statusLabel = nullptr;
    QLabel* commandedAngleCaption = nullptr; // "初期化中" until the first reply
    QLabel* commandedAngleLabel = nullptr;
    QPushButton* connectButton = nullptr;
    TabControl* pages = nullptr;
    QPushButton* turnLeftButton = nullptr;
    QPushButton* stopButton = nullptr;
    QPushButton* turnRightButton = nullptr;
    QLabel* azimuthLabel = nullptr;
    QPushButton* stepLeftButton = nullptr;
    QPushButton* stepRightButton = nullptr;
    PictureBox* mapBox = nullptr;
    QGroupBox* settingsFrame = nullptr;
    QComboBox* portCombo = nullptr;
    QLineEdit* portNumberEdit = nullptr;
    QLineEdit* lineSettingsEdit = nullptr;
    QLineEdit* offsetEdit = nullptr;
    QPushButton* registerButton = nullptr;
    QGroupBox* controllerFrame = nullptr;
    QLineEdit* commandEdit = nullptr;
    QPushButton* sendCommandButton = nullptr;
    std::array<QPushButton*, 4> switchButtons{};

private:
    void createControls();
    void connectControls();
    void followControl();

    void showSettingsFields();
    void showPortList(const QStringList& names);
    void showSwitch(int index, bool on);
    void turnToClick(QPoint globalPos);

    // The map: the azimuth pointer over the target pointers, drawn anew for every report.
    void redrawMap();
    void drawTargetPointer();
    void drawAimPointer();

    RotatorControl& control_;
    PointerPosition& pointer_;
};

} // namespace roteka

#pragma once

#include "rules/Locator.h"

#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace roteka {

class PictureBox;
class PointerPosition;
class Presets;
class OperatorControl;
class TabControl;

// Responsibilities: the program's one window. It builds the controls of the operating and the
// settings page, passes the operator's actions to the rotator control, and shows what the
// control announces: texts, the connect button's offer, the switches, and the map with its
// pointers. The keyboard reaches the control from anywhere in the window (Esc stops, Ctrl+1 to
// Ctrl+9 and Ctrl+0 turn to the presets 1 to 10), and the map has a menu (MapMenu). It holds no
// state of its own beyond what it shows.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(OperatorControl& control, PointerPosition& pointer, Presets& presets,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The station at the centre of the map shown, when the map records it.
    std::optional<GeoPoint> station() const { return station_; }

private:
    void createControls();
    void connectControls();
    void followControl();

    void showSettingsFields();
    void showPortList(const QStringList& names);
    void showSwitch(int index, bool on);
    void turnToClick(QPoint globalPos);
    void showMapMenu(QPoint globalPos, bool byKeyboard);
    void turnToPreset(int index);
    // The bearing of a point of the map in screen pixels, as a click there gives it; none when
    // the map's place cannot be had.
    std::optional<double> bearingAt(QPoint globalPos);

    // The map: the azimuth pointer over the target pointers, drawn anew for every report.
    void redrawMap();
    void drawTargetPointer();
    void drawAimPointer();
    double commandedDegrees() const;

    OperatorControl& control_;
    PointerPosition& pointer_;
    Presets& presets_;
    std::optional<GeoPoint> station_;

    // The controls, each with its name as object name.
    QLabel* statusLabel_ = nullptr;
    QLabel* commandedAngleCaption_ = nullptr; // "初期化中" until the first reply
    QLabel* commandedAngleLabel_ = nullptr;
    QPushButton* connectButton_ = nullptr;
    TabControl* pages_ = nullptr;
    QPushButton* turnLeftButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* turnRightButton_ = nullptr;
    QLabel* azimuthLabel_ = nullptr;
    QPushButton* stepLeftButton_ = nullptr;
    QPushButton* stepRightButton_ = nullptr;
    PictureBox* mapBox_ = nullptr;
    QGroupBox* settingsFrame_ = nullptr;
    QComboBox* portCombo_ = nullptr;
    QLineEdit* portNumberEdit_ = nullptr;
    QLineEdit* lineSettingsEdit_ = nullptr;
    QLineEdit* offsetEdit_ = nullptr;
    QPushButton* registerButton_ = nullptr;
    QGroupBox* controllerFrame_ = nullptr;
    QLineEdit* commandEdit_ = nullptr;
    QPushButton* sendCommandButton_ = nullptr;
    std::array<QPushButton*, 4> switchButtons_{};
};

} // namespace roteka

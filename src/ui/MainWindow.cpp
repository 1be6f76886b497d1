#include "ui/MainWindow.h"

#include "control/OperatorControl.h"
#include "control/Presets.h"
#include "platform/PointerPosition.h"
#include "rules/Bearing.h"
#include "rules/CommandRules.h"
#include "rules/PointerGeometry.h"
#include "ui/MapMenu.h"
#include "ui/PictureBox.h"
#include "ui/TabControl.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace roteka {

namespace {

const QColor TargetGreen(0, 192, 0);
const QColor AimOrange(255, 192, 128);
const QColor AzimuthBlue(0, 0, 255);
// A switch that is on shows a light pink face; off, the system's button face.
const QColor SwitchedOn(0xFF, 0xC0, 0xFF);

} // namespace

MainWindow::MainWindow(OperatorControl& control, PointerPosition& pointer, Presets& presets,
                       QWidget* parent)
    : QWidget(parent), control_(control), pointer_(pointer), presets_(presets) {
    createControls();
    connectControls();
    followControl();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls() {
    OperatorControl* control = &control_;
    connect(turnLeftButton_, &QPushButton::clicked, control, &OperatorControl::turnLeft);
    connect(stopButton_, &QPushButton::clicked, control, &OperatorControl::stop);
    connect(turnRightButton_, &QPushButton::clicked, control, &OperatorControl::turnRight);
    connect(stepRightButton_, &QPushButton::clicked, control, &OperatorControl::stepRight);
    connect(stepLeftButton_, &QPushButton::clicked, control, &OperatorControl::stepLeft);
    connect(connectButton_, &QPushButton::clicked, control, &OperatorControl::toggleConnection);
    connect(registerButton_, &QPushButton::clicked, control, &OperatorControl::registerSettings);
    connect(sendCommandButton_, &QPushButton::clicked, this,
            [this] { control_.sendCommand(commandEdit_->text()); });
    for (int i = 0; i < OperatorControl::SwitchCount; ++i)
        connect(switchButtons_.at(size_t(i)), &QPushButton::clicked, this,
                [this, i] { control_.toggleSwitch(i); });
    connect(portCombo_, &QComboBox::activated, this,
            [this] { control_.choosePort(portCombo_->currentText()); });
    connect(portNumberEdit_, &QLineEdit::textChanged, control,
            &OperatorControl::setPortNumberField);
    connect(lineSettingsEdit_, &QLineEdit::textChanged, control,
            &OperatorControl::setLineSettingsField);
    connect(offsetEdit_, &QLineEdit::textChanged, control, &OperatorControl::setOffsetField);
    connect(mapBox_, &PictureBox::clicked, this, &MainWindow::turnToClick);
    connect(mapBox_, &PictureBox::menuRequested, this, &MainWindow::showMapMenu);
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, control, &OperatorControl::stop);
    for (int i = 0; i < Presets::MaxPresets; ++i) {
        const Qt::Key digit = i == 9 ? Qt::Key_0 : Qt::Key(Qt::Key_1 + i);
        auto* preset = new QShortcut(QKeySequence(Qt::CTRL | digit), this);
        connect(preset, &QShortcut::activated, this, [this, i] { turnToPreset(i); });
    }
}

void MainWindow::followControl() {
    OperatorControl* control = &control_;
    connect(control, &OperatorControl::statusLineChanged, statusLabel_, &QLabel::setText);
    connect(control, &OperatorControl::commandedAngleChanged, this, [this] {
        commandedAngleLabel_->setText(commandedAngleText(control_.commandedAngle()));
    });
    connect(control, &OperatorControl::azimuthChanged, this, [this] {
        azimuthLabel_->setText(azimuthText(control_.azimuth()));
        redrawMap();
    });
    connect(control, &OperatorControl::firstValueTaken, this, [this] {
        commandedAngleCaption_->setText(QStringLiteral("設定角度 ＝"));
        drawTargetPointer();
    });
    connect(control, &OperatorControl::connectOfferChanged, this, [this](bool offersConnect) {
        connectButton_->setText(offersConnect ? QStringLiteral("接続") : QStringLiteral("切断"));
    });
    connect(control, &OperatorControl::switchChanged, this, &MainWindow::showSwitch);
    connect(control, &OperatorControl::settingsFieldsChanged, this,
            &MainWindow::showSettingsFields);
    connect(control, &OperatorControl::portListFound, this, &MainWindow::showPortList);
    connect(control, &OperatorControl::pageChosen, pages_, &TabControl::setCurrentIndex);
}

void MainWindow::showSettingsFields() {
    const auto show = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            edit->setText(text);
    };
    show(portNumberEdit_, control_.portNumberField());
    show(lineSettingsEdit_, control_.lineSettingsField());
    show(offsetEdit_, control_.offsetField());
}

// The devices are added to the list; the drop-down's text stays as it is.
void MainWindow::showPortList(const QStringList& names) {
    const QString shown = portCombo_->currentText();
    portCombo_->addItems(names);
    portCombo_->setCurrentIndex(-1);
    portCombo_->setEditText(shown);
}

void MainWindow::showSwitch(int index, bool on) {
    QPushButton* button = switchButtons_.at(size_t(index));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button,
                     on ? SwitchedOn : QApplication::palette(button).color(QPalette::Button));
    button->setPalette(palette);
}

// The bearing is measured from the map box's outer corner to where the click happened.
std::optional<double> MainWindow::bearingAt(QPoint globalPos) {
    pointer_.setClickPosition(globalPos);
    const QPoint at = pointer_.cursorPos();
    const auto box = pointer_.windowRect(*mapBox_);
    pointer_.setClickPosition(std::nullopt);
    if (!box)
        return std::nullopt;
    return clickedBearing(at.x() - box->left(), at.y() - box->top());
}

void MainWindow::turnToClick(QPoint globalPos) {
    if (const auto bearing = bearingAt(globalPos))
        control_.turnToBearing(*bearing);
}

// From the keyboard no point is clicked: the menu is for the bearing of the commanded angle, the
// one a click would have had to give it (the offset taken off).
void MainWindow::showMapMenu(QPoint globalPos, bool byKeyboard) {
    const auto bearing =
        byKeyboard ? std::optional(commandedDegrees() - control_.offset()) : bearingAt(globalPos);
    if (!bearing)
        return;
    MapMenu menu(*bearing, control_, presets_, station_, this);
    menu.setObjectName(QStringLiteral("mapMenu"));
    menu.exec(globalPos);
}

void MainWindow::turnToPreset(int index) {
    if (index < presets_.all().size())
        control_.turnToBearing(presets_.all()[index].bearing);
}

double MainWindow::commandedDegrees() const {
    const auto angle = control_.commandedAngle();
    return angle ? angle->degrees : 0;
}

void MainWindow::redrawMap() {
    mapBox_->setPersistentDrawing(true);
    mapBox_->clearDrawing();
    if (control_.commandedAngle())
        drawTargetPointer();
    mapBox_->setPenWidth(3);
    mapBox_->circle(MapCentreTwips, CentreRingRadius);
    const QPointF end = pointerEnd(control_.azimuth().value_or(0), AzimuthPointerLength);
    mapBox_->setPenColor(AzimuthBlue);
    mapBox_->line(MapCentreTwips, end);
    mapBox_->setPersistentDrawing(false);
}

void MainWindow::drawTargetPointer() {
    mapBox_->setPenWidth(4);
    const QPointF end = pointerEnd(commandedDegrees(), TargetPointerLength);
    mapBox_->setPenColor(TargetGreen);
    mapBox_->line(MapCentreTwips, end);
    if (control_.offsetSet())
        drawAimPointer();
}

// The aim pointer shows where the antenna really points when the offset corrects the target.
void MainWindow::drawAimPointer() {
    mapBox_->setPenWidth(4);
    const QPointF end = pointerEnd(commandedDegrees() - control_.offset(), TargetPointerLength);
    mapBox_->setPenColor(AimOrange);
    mapBox_->line(MapCentreTwips, end);
}

} // namespace roteka

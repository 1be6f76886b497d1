#include "ui/MainWindow.h"

#include "control/RotatorControl.h"
#include "platform/PointerPosition.h"
#include "rules/Bearing.h"
#include "rules/Numbers.h"
#include "rules/PointerGeometry.h"
#include "ui/PictureBox.h"
#include "ui/TabControl.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace roteka {

namespace {

const QColor TargetGreen(0, 192, 0);
const QColor AimOrange(255, 192, 128);
const QColor AzimuthBlue(0, 0, 255);
// A switch that is on shows a light pink face; off, the system's button face.
const QColor SwitchedOn(0xFF, 0xC0, 0xFF);

} // namespace

MainWindow::MainWindow(RotatorControl& control, PointerPosition& pointer, QWidget* parent)
    : QWidget(parent), control_(control), pointer_(pointer) {
    createControls();
    connectControls();
    followControl();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls() {
    RotatorControl* control = &control_;
    connect(turnLeftButton, &QPushButton::clicked, control, &RotatorControl::turnLeft);
    connect(stopButton, &QPushButton::clicked, control, &RotatorControl::stop);
    connect(turnRightButton, &QPushButton::clicked, control, &RotatorControl::turnRight);
    connect(stepRightButton, &QPushButton::clicked, control, &RotatorControl::stepRight);
    connect(stepLeftButton, &QPushButton::clicked, control, &RotatorControl::stepLeft);
    connect(connectButton, &QPushButton::clicked, control, &RotatorControl::toggleConnection);
    connect(registerButton, &QPushButton::clicked, control, &RotatorControl::registerSettings);
    connect(sendCommandButton, &QPushButton::clicked, this,
            [this] { control_.sendCommand(commandEdit->text()); });
    for (int i = 0; i < RotatorControl::SwitchCount; ++i)
        connect(switchButtons.at(size_t(i)), &QPushButton::clicked, this,
                [this, i] { control_.toggleSwitch(i); });
    connect(portCombo, &QComboBox::activated, this,
            [this] { control_.choosePort(portCombo->currentText()); });
    connect(portNumberEdit, &QLineEdit::textChanged, control, &RotatorControl::setPortNumberField);
    connect(lineSettingsEdit, &QLineEdit::textChanged, control,
            &RotatorControl::setLineSettingsField);
    connect(offsetEdit, &QLineEdit::textChanged, control, &RotatorControl::setOffsetField);
    connect(mapBox, &PictureBox::clicked, this, &MainWindow::turnToClick);
}

void MainWindow::followControl() {
    RotatorControl* control = &control_;
    connect(control, &RotatorControl::statusLineChanged, statusLabel, &QLabel::setText);
    connect(control, &RotatorControl::commandedAngleChanged, commandedAngleLabel, &QLabel::setText);
    connect(control, &RotatorControl::azimuthChanged, this, [this](const QString& azimuth) {
        azimuthLabel->setText(azimuth);
        redrawMap();
    });
    connect(control, &RotatorControl::firstValueTaken, this, [this] {
        commandedAngleCaption->setText(QStringLiteral("設定角度 ＝"));
        drawTargetPointer();
    });
    connect(control, &RotatorControl::connectOfferChanged, this, [this](bool offersConnect) {
        connectButton->setText(offersConnect ? QStringLiteral("接続") : QStringLiteral("切断"));
    });
    connect(control, &RotatorControl::switchChanged, this, &MainWindow::showSwitch);
    connect(control, &RotatorControl::settingsFieldsChanged, this, &MainWindow::showSettingsFields);
    connect(control, &RotatorControl::portListFound, this, &MainWindow::showPortList);
    connect(control, &RotatorControl::pageChosen, pages, &TabControl::setCurrentIndex);
}

void MainWindow::showSettingsFields() {
    const auto show = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            edit->setText(text);
    };
    show(portNumberEdit, control_.portNumberField());
    show(lineSettingsEdit, control_.lineSettingsField());
    show(offsetEdit, control_.offsetField());
}

// The devices are added to the list; the drop-down's text stays as it is.
void MainWindow::showPortList(const QStringList& names) {
    const QString shown = portCombo->currentText();
    portCombo->addItems(names);
    portCombo->setCurrentIndex(-1);
    portCombo->setEditText(shown);
}

void MainWindow::showSwitch(int index, bool on) {
    QPushButton* button = switchButtons.at(size_t(index));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button,
                     on ? SwitchedOn : QApplication::palette(button).color(QPalette::Button));
    button->setPalette(palette);
}

// The bearing is measured from the map box's outer corner to where the click happened.
void MainWindow::turnToClick(QPoint globalPos) {
    pointer_.setClickPosition(globalPos);
    const QPoint at = pointer_.cursorPos();
    const auto box = pointer_.windowRect(*mapBox);
    pointer_.setClickPosition(std::nullopt);
    if (box)
        control_.turnToBearing(clickedBearing(at.x() - box->left(), at.y() - box->top()));
}

void MainWindow::redrawMap() {
    mapBox->setPersistentDrawing(true);
    mapBox->clearDrawing();
    if (!control_.commandedAngle().isEmpty())
        drawTargetPointer();
    mapBox->setPenWidth(3);
    mapBox->circle(MapCentreTwips, CentreRingRadius);
    const QPointF end = pointerEnd(leadingNumber(control_.azimuth()), AzimuthPointerLength);
    mapBox->setPenColor(AzimuthBlue);
    mapBox->line(MapCentreTwips, end);
    mapBox->setPersistentDrawing(false);
}

void MainWindow::drawTargetPointer() {
    mapBox->setPenWidth(4);
    const QPointF end = pointerEnd(leadingNumber(control_.commandedAngle()), TargetPointerLength);
    mapBox->setPenColor(TargetGreen);
    mapBox->line(MapCentreTwips, end);
    if (aimPointerWanted(control_.offsetField()))
        drawAimPointer();
}

// The aim pointer shows where the antenna really points when the offset corrects the target.
void MainWindow::drawAimPointer() {
    mapBox->setPenWidth(4);
    const double aim =
        leadingNumber(control_.commandedAngle()) - leadingNumber(control_.offsetField());
    const QPointF end = pointerEnd(aim, TargetPointerLength);
    mapBox->setPenColor(AimOrange);
    mapBox->line(MapCentreTwips, end);
}

} // namespace roteka

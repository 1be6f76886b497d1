#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/RunTimeError.h"
#include "commands/CommandRules.h"
#include "ui/CaptionLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The buttons that send: turn left, stop, turn right, the two 15-degree steps and the free
// command; and the four switch buttons, placeholders that only toggle their own colour.

namespace roteka {

void Form1::Command1_Click() {
    Label5->setText(QStringLiteral("184"));
    ReceiveBuffer.clear();
    if (!PortIsOpen()) {
        ReportPortClosed(true);
        return;
    }
    ignoreErrors([this] { SendLine(QStringLiteral("L")); });
}

void Form1::Command2_Click() {
    ReceiveBuffer.clear();
    ignoreErrors([this] { SendLine(QStringLiteral("A")); });
    if (!PortIsOpen()) {
        ReportPortClosed(true);
        return;
    }
    Label5->setText(Label4->text());
}

void Form1::Command3_Click() {
    Label5->setText(QStringLiteral("176"));
    ReceiveBuffer.clear();
    if (!PortIsOpen()) {
        ReportPortClosed(false);
        return;
    }
    ignoreErrors([this] { SendLine(QStringLiteral("R")); });
}

void Form1::Command4_Click() {
    if (!PortIsOpen()) {
        ReportPortClosed(false);
        return;
    }
    Label5->setText(stepRight(Label5->text()));
    ignoreErrors([this] { SendGoTo(); });
}

void Form1::Command5_Click() {
    if (!PortIsOpen()) {
        ReportPortClosed(true);
        return;
    }
    Label5->setText(stepLeft(Label5->text()));
    ignoreErrors([this] { SendGoTo(); });
}

void Form1::Command9_Click() {
    if (!PortIsOpen()) {
        ReportPortClosed(true);
        return;
    }
    ignoreErrors([this] { SendLine(Text3->text()); });
}

// A switch is off in the system's button-face colour, as every switch starts, and on in light
// pink. The pink face is what marks a switch as on, so that a switch whose start colour is not
// exactly the button face (a style or an inherited palette) still turns pink on the first click.
void Form1::ToggleSwitch(QPushButton* button) {
    const QColor switchedOn(0xFF, 0xC0, 0xFF);
    const QColor buttonFace = QApplication::palette(button).color(QPalette::Button);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button,
                     palette.color(QPalette::Button) == switchedOn ? buttonFace : switchedOn);
    button->setPalette(palette);
    messages_.show(QStringLiteral("作成中です。"));
}

void Form1::Command7_Click() {
    ToggleSwitch(Command7);
}

void Form1::Command10_Click() {
    ToggleSwitch(Command10);
}

void Form1::Command11_Click() {
    ToggleSwitch(Command11);
}

void Form1::Command12_Click() {
    ToggleSwitch(Command12);
}

} // namespace roteka

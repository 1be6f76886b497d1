#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/RunTimeError.h"
#include "commands/CommandRules.h"
#include "ui/CaptionLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

void Form1::ToggleSwitch(QPushButton* button) {
    const QColor buttonFace = QApplication::palette(button).color(QPalette::Button);
    const QColor switchedOn(0xFF, 0xC0, 0xFF);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button,
                     palette.color(QPalette::Button) == buttonFace ? switchedOn : buttonFace);
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

#include "app/Form1.h"

#include "app/MessageBoxes.h"
#include "map/PointerPosition.h"
#include "serial/SerialPort.h"
#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"

#include <QComboBox>
#include <QPushButton>

namespace roteka {

Form1::Form1(const Platform& platform, QWidget* parent)
    : QWidget(parent), MSComm1(platform.serial), devices_(platform.devices),
      messages_(platform.messages), pointer_(platform.pointer) {
    createControls();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::connectHandlers() {
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Picture1, &PictureBox::clicked, this, [this](QPoint globalPos) {
        pointer_.setClickPosition(globalPos);
        Picture1_Click();
        pointer_.setClickPosition(std::nullopt);
    });
    connect(&MSComm1, &SerialPort::onComm, this, &Form1::MSComm1_OnComm);
    connect(&MSComm1, &SerialPort::deviceLost, this, &Form1::MSComm1_DeviceLost);
    connect(Label4, &CaptionLabel::change, this, &Form1::Label4_Change);
}

} // namespace roteka

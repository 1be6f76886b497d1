#include "app/Form1.h"
#include "app/RunTimeError.h"
#include "commands/CommandRules.h"
#include "commands/Numbers.h"
#include "serial/SerialPort.h"

#include <QLabel>
#include <QPushButton>

namespace roteka {

bool Form1::PortIsOpen() const {
    return MSComm1.portOpen();
}

void Form1::SendLine(const QString& text) {
    MSComm1.output(text + QStringLiteral("\r\n"));
}

void Form1::ReportPortClosed(bool resetConnectCaption) {
    Label1->setText(QString());
    Label1->setText(Label1->text() + QStringLiteral("port = ") + boolText(MSComm1.portOpen()));
    if (resetConnectCaption)
        Command6->setText(QStringLiteral("接続"));
}

void Form1::SendGoTo() {
    if (const auto line = goToLine(Label5->text()))
        SendLine(*line);
}

} // namespace roteka

#include "app/Form1.h"
#include "app/RunTimeError.h"
#include "commands/CommandRules.h"
#include "commands/Numbers.h"
#include "serial/SerialPort.h"

#include <QLabel>
#include <QPushButton>

// The command channel: the one port test before a send, the write of one command line, the
// report shown when the port is found closed, and the go-to command built from the
// last-commanded angle (the caption of Label5).

namespace roteka {

bool Form1::PortIsOpen() const {
    return MSComm1.portOpen();
}

// The line goes to the serial control as text, in one write. The fixed commands are ASCII; a
// free command is passed on exactly as typed, whatever characters it holds: the channel neither
// restricts nor converts them. The serial control turns characters into bytes with the
// system's 8-bit encoding: UTF-8 on Linux and macOS, the ANSI code page on Windows (Shift_JIS
// on a Japanese system, where characters outside it become "?").
void Form1::SendLine(const QString& text) {
    MSComm1.output(text + QStringLiteral("\r\n"));
}

void Form1::ReportPortClosed(bool resetConnectCaption) {
    Label1->clear();
    Label1->setText(QStringLiteral("port = ") + boolText(PortIsOpen()));
    if (resetConnectCaption)
        Command6->setText(QStringLiteral("接続"));
}

// Whether there was a go-to command to send: an angle of more than three characters has none.
bool Form1::SendGoTo() {
    const auto line = goToLine(Label5->text());
    if (line)
        SendLine(*line);
    return line.has_value();
}

} // namespace roteka

#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

namespace roteka {

// Serial line parameters as the settings text writes them: "baud,parity,data,stop",
// for example "9600,N,8,1". Parity N/E/O/M/S (either case), data bits 5 to 8, stop bits 1,
// 1.5 or 2; blanks around the fields are allowed.
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

std::optional<LineSettings> parseLineSettings(const QString& text);

} // namespace roteka

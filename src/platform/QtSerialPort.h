#pragma once

#include "platform/SerialPort.h"

#include <QSerialPort>

namespace roteka {

// Responsibilities: the serial port on QSerialPort. Maps the port number to a device
// (PortNames), locks the device exclusively while open, and turns a hang-up of the device into
// a closed port and deviceLost(). Text goes out in the system's 8-bit encoding (UTF-8 on Linux
// and macOS, the code page on Windows); bytes come in as single Latin-1 characters.
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    void write(const QString& text) override;
    QString readAll() override;

protected:
    void applyLineSettings() override;

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort port_;
};

} // namespace roteka

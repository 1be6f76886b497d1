#pragma once

#include "platform/SerialPort.h"

#include <QSerialPort>

namespace roteka {

// Responsibilities: the serial port on QSerialPort. Maps the port number to a device
// (PortNames), locks the device exclusively while open, and turns a hang-up of the device into
// a closed port and deviceLost(), logging the system's reason.
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void close() override;
    bool isOpen() const override { return port_.isOpen(); }

protected:
    void openDevice() override;
    void writeBytes(const QByteArray& bytes) override;
    QByteArray readBytes() override;
    void applyLineSettings() override;

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort port_;
};

} // namespace roteka

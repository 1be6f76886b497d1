#pragma once

#include "platform/LineSettings.h"
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

    void setPortNumber(int number) override;
    int portNumber() const override { return portNumber_; }
    void setLineSettings(const QString& settings) override;
    QString lineSettings() const override { return settingsText_; }
    void open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    void write(const QString& text) override;
    QString readAll() override;

private:
    void handleError(QSerialPort::SerialPortError error);
    void applyLineSettings();

    QSerialPort port_;
    int portNumber_ = 1;
    QString settingsText_ = QStringLiteral("9600,N,8,1");
    LineSettings line_;
};

} // namespace roteka

#pragma once

#include "serial/LineSettings.h"
#include "serial/SerialPort.h"

#include <QByteArray>
#include <QSerialPort>

namespace roteka {

// Responsibilities: the serial port service on QSerialPort. Maps the port number to a
// device (PortNames), locks the device exclusively while open, keeps received bytes in its
// own buffer and raises onComm() with the receive event once rThreshold() bytes wait; turns
// a hang-up of the device into a closed port and deviceLost(). Text goes out in the system's
// 8-bit encoding (UTF-8 on Linux and macOS, the code page on Windows); bytes come in as
// single Latin-1 characters.
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setCommPort(int number) override;
    int commPort() const override { return commPort_; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return settingsText_; }
    void setPortOpen(bool open) override;
    bool portOpen() const override { return port_.isOpen(); }
    void output(const QString& text) override;
    int inBufferCount() const override;
    QString input() override;
    int commEvent() const override { return commEvent_; }

private:
    void open();
    void close();
    void receive();
    void handleError(QSerialPort::SerialPortError error);
    void applyLineSettings();

    QSerialPort port_;
    QByteArray received_;
    qsizetype readPos_ = 0;
    int commPort_ = 1;
    QString settingsText_ = QStringLiteral("9600,N,8,1");
    LineSettings line_;
    int commEvent_ = 0;
    bool locked_ = false;
};

} // namespace roteka

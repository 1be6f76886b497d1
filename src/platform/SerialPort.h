#pragma once

#include "platform/LineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace roteka {

class LineTrace;

// Responsibilities: the serial port the rotator controller is attached to. The port number
// and line settings take effect at the next open (line settings also on the open port); text
// goes out in one write; received bytes wait until read, and their arrival is signalled on
// the GUI thread. Every byte written and read passes the line's trace, when there is one.
// Failures raise PlatformError, its message naming the port.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Port number n ("COM n"); raises for n < 1 or while the port is open.
    void setPortNumber(int number);
    int portNumber() const { return portNumber_; }
    // "baud,parity,data,stop", as parseLineSettings reads it; raises when it does not parse,
    // or when the open port refuses it.
    void setLineSettings(const QString& settings);
    QString lineSettings() const { return settingsText_; }
    // Raises when the port is already open or its device cannot be had.
    void open();
    // Nothing happens when the port is closed; never raises.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The text in the system's 8-bit encoding (UTF-8 on Linux and macOS, the ANSI code page on
    // Windows), in one write; raises when the port is closed or the write fails.
    void write(const QString& text);
    // Every received byte not yet read, each as one Latin-1 character; never raises.
    QString readAll();
    // Where the bytes sent and received are recorded from now on; none to stop.
    void setTrace(LineTrace* trace) { trace_ = trace; }

signals:
    // New bytes wait to be read.
    void received();
    // The device went away while open (adapter pulled out, other end hung up). The port is
    // closed when this is emitted.
    void deviceLost();

protected:
    const LineSettings& line() const { return line_; }
    // The backend's own work, raising PlatformError with the system's reason.
    virtual void openDevice() = 0;
    virtual void writeBytes(const QByteArray& bytes) = 0;
    virtual QByteArray readBytes() = 0;
    // Puts line() into effect on the open device; raises when the device refuses it.
    virtual void applyLineSettings() = 0;

private:
    [[noreturn]] void fail(const QString& reason) const;

    int portNumber_ = 1;
    QString settingsText_ = QStringLiteral("9600,N,8,1");
    LineSettings line_;
    LineTrace* trace_ = nullptr;
};

} // namespace roteka

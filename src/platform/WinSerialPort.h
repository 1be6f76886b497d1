#pragma once

#include "platform/SerialPort.h"

#include <QByteArray>

#include <memory>

namespace roteka {

// Responsibilities: the serial port on the Windows communications API. Port number n is the
// system's COMn, opened for this program alone; the line runs without flow control, DTR and
// RTS raised. One overlapped read is always outstanding while the port is open, for the bytes
// the driver has received or, when it has none, for the next one: what arrives is handed over
// at once, however the line is paced. Its completion reaches the GUI thread through the event
// loop, its bytes wait in a buffer and received() is emitted. A read that fails (adapter pulled
// out, driver gone) closes the port and emits deviceLost(). Text goes out in the system's code
// page; bytes come in as single Latin-1 characters. Error texts are the system's own.
class WinSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit WinSerialPort(QObject* parent = nullptr);
    ~WinSerialPort() override;

    void close() override;
    bool isOpen() const override;

protected:
    void openDevice() override;
    void writeBytes(const QByteArray& bytes) override;
    QByteArray readBytes() override;
    void applyLineSettings() override;

private:
    struct Io;

    bool startRead();
    void readFinished();
    // The device is gone: the port closes, the reason is logged and deviceLost() emitted.
    void lose(unsigned long error);

    std::unique_ptr<Io> io_;
    QByteArray received_;
};

} // namespace roteka

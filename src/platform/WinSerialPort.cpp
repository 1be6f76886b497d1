#include "platform/WinSerialPort.h"

#include "platform/Logging.h"
#include "platform/PlatformError.h"
#include "platform/PortNames.h"
#include "platform/WinErrorText.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <utility>

namespace roteka {

namespace {

// The most one read takes from the driver's receive queue.
constexpr DWORD ReadChunk = 4096;

// A write may take this long plus the time its characters need on the line (at most 12 bits a
// character) before it counts as failed.
constexpr DWORD WriteSlackMs = 2000;

// An operation that ended early because its time ran out, which some drivers report as an
// error rather than as a short success.
bool isTimeout(DWORD code) {
    return code == ERROR_TIMEOUT || code == ERROR_SEM_TIMEOUT || code == WAIT_TIMEOUT;
}

BYTE parityCode(LineSettings::Parity parity) {
    switch (parity) {
    case LineSettings::Parity::Even:
        return EVENPARITY;
    case LineSettings::Parity::Odd:
        return ODDPARITY;
    case LineSettings::Parity::Mark:
        return MARKPARITY;
    case LineSettings::Parity::Space:
        return SPACEPARITY;
    case LineSettings::Parity::None:
        break;
    }
    return NOPARITY;
}

BYTE stopBitsCode(LineSettings::StopBits stopBits) {
    switch (stopBits) {
    case LineSettings::StopBits::OneAndHalf:
        return ONE5STOPBITS;
    case LineSettings::StopBits::Two:
        return TWOSTOPBITS;
    case LineSettings::StopBits::One:
        break;
    }
    return ONESTOPBIT;
}

} // namespace

// The handles and the outstanding read. The events are made once, with the port object; a
// read's completion sets readEvent, which the notifier watches while the port is open.
struct WinSerialPort::Io {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    DWORD eventError = ERROR_SUCCESS;
    QWinEventNotifier* notifier = nullptr;
    OVERLAPPED readOverlapped{};
    bool readPending = false;
    char readBuffer[ReadChunk];
};

WinSerialPort::WinSerialPort(QObject* parent) : SerialPort(parent), io_(std::make_unique<Io>()) {
    io_->readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    io_->writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!io_->readEvent || !io_->writeEvent) {
        io_->eventError = GetLastError();
        return;
    }
    io_->notifier = new QWinEventNotifier(io_->readEvent, this);
    io_->notifier->setEnabled(false);
    connect(io_->notifier, &QWinEventNotifier::activated, this, &WinSerialPort::readFinished);
}

WinSerialPort::~WinSerialPort() {
    close();
    // The notifier goes before the event it watches.
    delete io_->notifier;
    if (io_->readEvent)
        CloseHandle(io_->readEvent);
    if (io_->writeEvent)
        CloseHandle(io_->writeEvent);
}

bool WinSerialPort::isOpen() const {
    return io_->port != INVALID_HANDLE_VALUE;
}

void WinSerialPort::openDevice() {
    const QString name = devicePathForPort(portNumber(), QString());
    if (name.isEmpty())
        throw PlatformError(QStringLiteral("COM%1 names no device").arg(portNumber()));
    if (!io_->notifier)
        throw PlatformError(QStringLiteral("%1: %2").arg(name, windowsErrorText(io_->eventError)));

    // The device namespace reaches every COM number, not only COM1 to COM9.
    const QString path = QStringLiteral("\\\\.\\") + name;
    const HANDLE port =
        CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        throw PlatformError(QStringLiteral("%1: %2").arg(name, windowsErrorText(GetLastError())));
    io_->port = port;
    received_.clear();

    const auto giveUp = [this](const QString& reason) {
        CloseHandle(io_->port);
        io_->port = INVALID_HANDLE_VALUE;
        throw PlatformError(reason);
    };
    try {
        applyLineSettings();
    } catch (const PlatformError& error) {
        giveUp(error.message());
    }
    if (!PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR))
        giveUp(QStringLiteral("%1: %2").arg(name, windowsErrorText(GetLastError())));
    ResetEvent(io_->readEvent);
    if (!startRead())
        giveUp(QStringLiteral("%1: %2").arg(name, windowsErrorText(GetLastError())));
    io_->notifier->setEnabled(true);
}

void WinSerialPort::close() {
    if (!isOpen())
        return;
    io_->notifier->setEnabled(false);
    if (io_->readPending) {
        // The read must be over before its buffer and handle go away.
        CancelIoEx(io_->port, &io_->readOverlapped);
        DWORD count = 0;
        GetOverlappedResult(io_->port, &io_->readOverlapped, &count, TRUE);
        io_->readPending = false;
    }
    CloseHandle(io_->port);
    io_->port = INVALID_HANDLE_VALUE;
    received_.clear();
}

void WinSerialPort::applyLineSettings() {
    const auto refuse = [this](DWORD code) {
        throw PlatformError(QStringLiteral("the port refused the line settings \"%1\": %2")
                                .arg(lineSettings(), windowsErrorText(code)));
    };
    const LineSettings& settings = line();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(io_->port, &dcb))
        refuse(GetLastError());
    dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    dcb.Parity = parityCode(settings.parity);
    dcb.StopBits = stopBitsCode(settings.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != LineSettings::Parity::None;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(io_->port, &dcb))
        refuse(GetLastError());

    // No read time-outs: a read ends when it has the bytes it asked for, however the line is
    // paced (startRead asks only for what has arrived, or for the next byte).
    COMMTIMEOUTS timeouts{};
    const DWORD baud = qMax<DWORD>(static_cast<DWORD>(settings.baudRate), 1);
    timeouts.WriteTotalTimeoutMultiplier = 12000 / baud + 1;
    timeouts.WriteTotalTimeoutConstant = WriteSlackMs;
    if (!SetCommTimeouts(io_->port, &timeouts))
        refuse(GetLastError());
}

// Asks for the bytes the driver holds already, so the read completes at once, or for the next
// byte when it holds none. When the driver cannot say, the read for one byte tells whether the
// device is still there.
bool WinSerialPort::startRead() {
    COMSTAT status{};
    DWORD errors = 0;
    const DWORD queued = ClearCommError(io_->port, &errors, &status) ? status.cbInQue : 0;
    io_->readOverlapped = OVERLAPPED{};
    io_->readOverlapped.hEvent = io_->readEvent;
    if (!ReadFile(io_->port, io_->readBuffer, qBound<DWORD>(1, queued, ReadChunk), nullptr,
                  &io_->readOverlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    io_->readPending = true;
    return true;
}

void WinSerialPort::readFinished() {
    if (!isOpen() || !io_->readPending)
        return;
    DWORD count = 0;
    if (!GetOverlappedResult(io_->port, &io_->readOverlapped, &count, FALSE)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_INCOMPLETE)
            return;
        io_->readPending = false;
        // Anything else, the cancellation of the read by the system included (we cancel only in
        // close(), with the notifier off), means the device is gone.
        if (!isTimeout(error)) {
            lose(error);
            return;
        }
        count = 0;
    }
    io_->readPending = false;
    if (count > 0) {
        received_.append(io_->readBuffer, static_cast<qsizetype>(count));
        emit received();
    }
    // The handler may have closed the port, or closed and opened it again.
    if (!isOpen() || io_->readPending)
        return;
    if (!startRead())
        lose(GetLastError());
}

void WinSerialPort::lose(unsigned long error) {
    qCWarning(lcSerial).noquote()
        << QStringLiteral("COM%1 lost: %2").arg(portNumber()).arg(windowsErrorText(error));
    close();
    emit deviceLost();
}

void WinSerialPort::writeBytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    OVERLAPPED overlapped{};
    overlapped.hEvent = io_->writeEvent;
    DWORD written = 0;
    if ((!WriteFile(io_->port, bytes.constData(), static_cast<DWORD>(bytes.size()), nullptr,
                    &overlapped) &&
         GetLastError() != ERROR_IO_PENDING) ||
        !GetOverlappedResult(io_->port, &overlapped, &written, TRUE)) {
        const DWORD error = GetLastError();
        if (!isTimeout(error))
            lose(error);
        throw PlatformError(QStringLiteral("write failed: %1").arg(windowsErrorText(error)));
    }
    if (written != static_cast<DWORD>(bytes.size()))
        throw PlatformError(QStringLiteral("write failed: %1 of %2 bytes went out in time")
                                .arg(written)
                                .arg(bytes.size()));
}

QByteArray WinSerialPort::readBytes() {
    return std::exchange(received_, {});
}

} // namespace roteka

#include "platform/SerialPort.h"

#include "platform/LineTrace.h"
#include "platform/PlatformError.h"

#include <utility>

namespace roteka {

void SerialPort::fail(const QString& reason) const {
    throw PlatformError(QStringLiteral("COM%1: %2").arg(portNumber_).arg(reason));
}

void SerialPort::setPortNumber(int number) {
    if (number < 1)
        throw PlatformError(QStringLiteral("invalid port number %1").arg(number));
    if (isOpen())
        fail(QStringLiteral("the port is already open"));
    portNumber_ = number;
}

void SerialPort::setLineSettings(const QString& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        fail(QStringLiteral("invalid line settings \"%1\"").arg(settings));
    const LineSettings previous = std::exchange(line_, *parsed);
    if (isOpen()) {
        try {
            applyLineSettings();
        } catch (const PlatformError& error) {
            line_ = previous;
            fail(error.message());
        }
    }
    settingsText_ = settings;
}

void SerialPort::open() {
    if (isOpen())
        fail(QStringLiteral("the port is already open"));
    try {
        openDevice();
    } catch (const PlatformError& error) {
        fail(error.message());
    }
}

void SerialPort::write(const QString& text) {
    if (!isOpen())
        fail(QStringLiteral("the port is not open"));
    const QByteArray bytes = text.toLocal8Bit();
    try {
        writeBytes(bytes);
    } catch (const PlatformError& error) {
        fail(error.message());
    }
    if (trace_)
        trace_->record(LineDirection::Sent, bytes);
}

QString SerialPort::readAll() {
    const QByteArray bytes = readBytes();
    if (trace_ && !bytes.isEmpty())
        trace_->record(LineDirection::Received, bytes);
    return QString::fromLatin1(bytes);
}

} // namespace roteka

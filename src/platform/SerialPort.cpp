#include "platform/SerialPort.h"

#include "platform/PlatformError.h"

namespace roteka {

void SerialPort::setPortNumber(int number) {
    if (number < 1)
        throw PlatformError(QStringLiteral("invalid port number %1").arg(number));
    if (isOpen())
        throw PlatformError(QStringLiteral("the port is already open"));
    portNumber_ = number;
}

void SerialPort::setLineSettings(const QString& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        throw PlatformError(QStringLiteral("invalid line settings \"%1\"").arg(settings));
    line_ = *parsed;
    settingsText_ = settings;
    if (isOpen())
        applyLineSettings();
}

} // namespace roteka

#pragma once

#include <QStringList>

namespace roteka {

// Responsibilities: lists the serial devices of the computer by friendly name, each name
// ending in "(COM<n>)" with the number under which the serial port service opens it.
// Devices without such a number are left out. Failures raise PlatformError.
class DeviceCatalogue {
public:
    virtual ~DeviceCatalogue() = default;
    virtual QStringList serialDeviceNames() = 0;
};

// The system's serial devices as QSerialPortInfo lists them (on Linux a legacy UART port only
// when it has a UART), those the port-number table names, each by its description or else its
// device name; then the port aliases of the alias directory, by the name of their device.
class QtDeviceCatalogue : public DeviceCatalogue {
public:
    QStringList serialDeviceNames() override;
};

} // namespace roteka

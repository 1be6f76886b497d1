#pragma once

#include <QStringList>

namespace roteka {

// Responsibilities: lists the serial devices of the computer by friendly name, each name
// ending in "(COM<n>)" with the number under which the serial port service opens it.
// Devices without such a number are left out. Failures raise RunTimeError.
class DeviceCatalogue {
public:
    virtual ~DeviceCatalogue() = default;
    virtual QStringList serialDeviceNames() = 0;
};

// The devices QSerialPortInfo finds plus the port aliases of the alias directory.
class QtDeviceCatalogue : public DeviceCatalogue {
public:
    QStringList serialDeviceNames() override;
};

} // namespace roteka

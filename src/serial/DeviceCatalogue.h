#pragma once

#include <QList>
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

// The system's serial devices plus the port aliases of the alias directory. On Linux the
// devices are read from the kernel's tty class directory (sysfsSerialDevices); elsewhere
// they come from QSerialPortInfo.
class QtDeviceCatalogue : public DeviceCatalogue {
public:
    QStringList serialDeviceNames() override;
};

struct SystemSerialDevice {
    int number = 0;      // the port-number table's number of /dev/<name>
    QString name;        // ttyUSB0
    QString description; // the product name the device reports; empty when it has none
};

// The serial devices of a Linux tty class directory (normally /sys/class/tty), by number.
// Only names the port-number table knows are looked at. A device must be backed by hardware
// (a "device" link) and, when it is a UART port, of a known UART type (a "type" other than 0:
// the kernel keeps entries for every possible legacy port); Bluetooth RFCOMM ports are
// virtual and always listed. The description is the "product" of the nearest of the
// device's parents that has one (the USB device of a USB adapter).
// Asking libudev instead reads every tty of the system, console ones included, and takes
// about as long as building the whole window.
QList<SystemSerialDevice> sysfsSerialDevices(const QString& ttyClassDir);

} // namespace roteka

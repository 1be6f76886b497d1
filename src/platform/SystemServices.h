#pragma once

// The serial port and the device list of the system the program is built for: the Windows
// communications API and SetupAPI on Windows, Qt's serial-port module elsewhere.

#include <QtGlobal>

#ifdef Q_OS_WIN
#include "platform/WinDeviceCatalogue.h"
#include "platform/WinSerialPort.h"
#else
#include "platform/DeviceCatalogue.h"
#include "platform/QtSerialPort.h"
#endif

namespace roteka {

#ifdef Q_OS_WIN
using SystemSerialPort = WinSerialPort;
using SystemDeviceCatalogue = WinDeviceCatalogue;
#else
using SystemSerialPort = QtSerialPort;
using SystemDeviceCatalogue = QtDeviceCatalogue;
#endif

} // namespace roteka

#pragma once

#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "map/PointerPosition.h"
#include "serial/DeviceCatalogue.h"
#include "serial/QtSerialPort.h"

namespace roteka {

// Responsibilities: owns the real platform services the window runs on.
class QtPlatform {
public:
    Platform services() { return {serial, devices, messages, pointer}; }

    QtSerialPort serial;
    QtDeviceCatalogue devices;
    QtMessageBoxes messages;
    QtPointerPosition pointer;
};

} // namespace roteka

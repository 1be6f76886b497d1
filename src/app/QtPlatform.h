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
    // Starts the window on these services as the program does: the application takes the
    // window's icon, the message boxes are owned by the window, the window loads its settings
    // and opens the port (showing what went wrong, if anything), then it is shown.
    void start(Form1& form);

    QtSerialPort serial;
    QtDeviceCatalogue devices;
    QtMessageBoxes messages;
    QtPointerPosition pointer;
};

} // namespace roteka

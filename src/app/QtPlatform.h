#pragma once

#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/Options.h"
#include "map/PointerPosition.h"
#include "serial/DeviceCatalogue.h"
#include "serial/QtSerialPort.h"

#include <memory>

namespace roteka {

class RotatorServer;

// Responsibilities: owns the real platform services the window runs on, and the network
// server when one is asked for.
class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    Platform services() { return {serial, devices, messages, pointer}; }
    // Starts the window on these services as the program does: the application takes the
    // window's icon, the message boxes are owned by the window, the window loads its settings
    // and opens the port (showing what went wrong, if anything), the network server starts
    // listening when asked to (or says why it cannot), then the window is shown.
    void start(Form1& form, const Options& options = {});

    QtSerialPort serial;
    QtDeviceCatalogue devices;
    QtMessageBoxes messages;
    QtPointerPosition pointer;
    std::unique_ptr<RotatorServer> server;
};

} // namespace roteka

#pragma once

#include "app/Options.h"
#include "control/RotatorControl.h"
#include "platform/MessageBoxes.h"
#include "platform/PointerPosition.h"
#include "platform/SystemServices.h"
#include "ui/MainWindow.h"

#include <memory>

namespace roteka {

class RotatorServer;

// Responsibilities: the program as it runs: the real platform services, the rotator control on
// them, the window on the control, and the network server when one is asked for. Tests give
// message boxes of their own, which then take the place of the real ones.
class Program {
public:
    explicit Program(MessageBoxes* messageBoxes = nullptr);
    ~Program();

    // Starts as the program does: the application takes the window's icon, the message boxes
    // are owned by the window, the control starts up (showing what went wrong, if anything),
    // the network server starts listening when asked to (or says why it cannot), then the
    // window is shown.
    void start(const Options& options = {});

    SystemSerialPort serial;
    SystemDeviceCatalogue devices;
    QtMessageBoxes messages;
    QtPointerPosition pointer;
    RotatorControl control;
    MainWindow window;
    std::unique_ptr<RotatorServer> server;

private:
    MessageBoxes& shownMessages_;
};

} // namespace roteka

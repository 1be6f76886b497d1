#pragma once

#include "app/Options.h"
#include "control/ControllerLink.h"
#include "control/OperatorControl.h"
#include "control/Presets.h"
#include "control/RemoteRequests.h"
#include "control/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/PointerPosition.h"
#include "platform/SystemServices.h"
#include "ui/MainWindow.h"

#include <memory>

namespace roteka {

class LineTrace;
class N1mmListener;
class PstListener;
class RotatorServer;

// Responsibilities: the program as it runs: the real platform services, the controller link and
// the settings store on them, the operator's control, the one place for other programs' requests,
// the operator's presets, the window, and the network services and the line's trace when they are
// asked for. Tests give
// message boxes of their own, which then take the place of the real ones.
class Program {
public:
    explicit Program(MessageBoxes* messageBoxes = nullptr);
    ~Program();

    // Starts as the program does: the application takes the window's icon, the message boxes
    // are owned by the window, what the configuration file held that could not be used is said,
    // the trace starts when asked for, the control starts up (showing what went wrong, if
    // anything), the network services start listening when asked to (or say why they cannot),
    // then the window is shown.
    void start(const Options& options = {});

    SystemSerialPort serial;
    SystemDeviceCatalogue devices;
    QtMessageBoxes messages;
    QtPointerPosition pointer;
    ControllerLink link{serial};
    SettingsStore settings{QStringLiteral("ROTEKA.DAT")};
    OperatorControl control;
    RemoteRequests requests{control};
    Presets presets;
    MainWindow window;
    std::unique_ptr<LineTrace> trace;
    std::unique_ptr<RotatorServer> server;
    std::unique_ptr<N1mmListener> n1mm;
    std::unique_ptr<PstListener> pst;

private:
    MessageBoxes& shownMessages_;
};

} // namespace roteka

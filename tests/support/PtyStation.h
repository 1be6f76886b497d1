#pragma once

#include "FakePlatform.h"
#include "PtyPeer.h"

#include "app/QtPlatform.h"

#include <memory>

namespace roteka::test {

// Responsibilities: the window on the real platform services, its messages recorded, not
// started yet: the test prepares the settings file and the port, then calls Form_Load.
struct RealWindow {
    QtPlatform platform;
    RecordingMessageBoxes messages;
    std::unique_ptr<Form1> form = std::make_unique<Form1>(
        Platform{platform.serial, platform.devices, messages, platform.pointer});
};

// The test's directory with COM<n> bound to a pseudo-terminal whose other end the test plays
// as the controller. The controller can be replaced (a device that goes away and comes back).
struct BoundController {
    explicit BoundController(int portNumber)
        : portNumber(portNumber),
          controller(std::make_unique<PtyPeer>(dir.aliasDir(), portNumber)) {}

    // A settings file naming COM<n> with the given line settings and no offset.
    void writeSettings(const QString& lineSettings = QStringLiteral("9600,N,8,1")) {
        dir.writeFile(QStringLiteral("ROTEKA.DAT"),
                      QStringLiteral("%1,%2:0\r\n").arg(portNumber).arg(lineSettings).toLatin1());
    }

    int portNumber;
    TestDirectory dir;
    std::unique_ptr<PtyPeer> controller;
};

// Responsibilities: the window started on the real serial service, its settings file naming
// COM<n>, which is bound to the controller's pseudo-terminal. The settings file holds
// "<n>,9600,N,8,1:0" unless another content is given. The window goes before the controller
// and the directory.
struct PtyStation : BoundController, RealWindow {
    explicit PtyStation(int portNumber, const QByteArray& settingsFile = {})
        : BoundController(portNumber) {
        if (settingsFile.isEmpty())
            writeSettings();
        else
            dir.writeFile(QStringLiteral("ROTEKA.DAT"), settingsFile);
        form->Form_Load();
    }
};

} // namespace roteka::test

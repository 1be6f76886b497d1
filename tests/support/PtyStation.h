#pragma once

#include "FakePlatform.h"
#include "PtyPeer.h"

#include "app/QtPlatform.h"

#include <memory>

namespace roteka::test {

// Responsibilities: the window started on the real serial service, its settings file naming
// COM<n>, which is bound to a pseudo-terminal whose other end the test plays as the
// controller. Messages are recorded. The controller can be replaced (a device that goes away
// and comes back). The settings file holds "<n>,9600,N,8,1:0" unless another content is given.
struct PtyStation {
    explicit PtyStation(int portNumber, const QByteArray& settingsFile = {})
        : controller(std::make_unique<PtyPeer>(dir.aliasDir(), portNumber)) {
        dir.writeFile(QStringLiteral("ROTEKA.DAT"),
                      !settingsFile.isEmpty()
                          ? settingsFile
                          : QStringLiteral("%1,9600,N,8,1:0\r\n").arg(portNumber).toLatin1());
        form = std::make_unique<Form1>(
            Platform{platform.serial, platform.devices, messages, platform.pointer});
        form->Form_Load();
    }

    TestDirectory dir;
    std::unique_ptr<PtyPeer> controller;
    QtPlatform platform;
    RecordingMessageBoxes messages;
    std::unique_ptr<Form1> form;
};

} // namespace roteka::test

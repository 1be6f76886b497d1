#pragma once

#include "FakePlatform.h"
#include "PtyPeer.h"

namespace roteka::test {

// Responsibilities: the window started on the fake platform in a test directory whose
// settings file names port 3, which the fake port opens.
struct FakeStation {
    explicit FakeStation(const QByteArray& settingsFile = "3,9600,N,8,1:0\r\n")
        : form(platform.services()) {
        dir.writeFile(QStringLiteral("ROTEKA.DAT"), settingsFile);
        form.Form_Load();
    }

    TestDirectory dir;
    FakePlatform platform;
    Form1 form;
};

} // namespace roteka::test

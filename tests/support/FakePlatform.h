#pragma once

#include "platform/DeviceCatalogue.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PointerPosition.h"
#include "platform/SerialPort.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <utility>

namespace roteka::test {

// Records every message instead of showing it; never blocks.
struct RecordingMessageBoxes : MessageBoxes {
    void show(const QString& text) override { shown.append(text); }
    QStringList shown;
};

// A device list given by the test; throws when told to.
struct FakeDeviceCatalogue : DeviceCatalogue {
    QStringList serialDeviceNames() override {
        if (fail)
            throw PlatformError(QStringLiteral("device query failed"));
        return names;
    }
    QStringList names;
    bool fail = false;
};

// The click position as the widget reports it; the widget's rectangle the real one unless the
// test gives one, or none when told to fail.
struct FakePointerPosition : PointerPosition {
    void setClickPosition(std::optional<QPoint> globalPos) override { click = globalPos; }
    QPoint cursorPos() override { return click.value_or(QPoint()); }
    std::optional<QRect> windowRect(const QWidget& widget) override {
        if (failRect)
            return std::nullopt;
        return rect.value_or(QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size()));
    }
    std::optional<QPoint> click;
    std::optional<QRect> rect;
    bool failRect = false;
};

// An in-memory serial port: records what is written, delivers what the test feeds; fails as told.
class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    using SerialPort::line;

    void feed(const QByteArray& bytes) {
        incoming_ += bytes;
        emit received();
    }
    // The device goes away, as the real port reports it.
    void lose() {
        open_ = false;
        emit deviceLost();
    }
    QByteArray written;
    QList<int> openablePorts{3};
    int opens = 0;
    bool failWrites = false;
    bool refuseLineSettings = false;

protected:
    void openDevice() override {
        if (!openablePorts.contains(portNumber()))
            throw PlatformError(QStringLiteral("cannot open"));
        ++opens;
        open_ = true;
    }
    void writeBytes(const QByteArray& bytes) override {
        if (failWrites)
            throw PlatformError(QStringLiteral("write failed"));
        written += bytes;
    }
    QByteArray readBytes() override { return std::exchange(incoming_, {}); }
    void applyLineSettings() override {
        if (refuseLineSettings)
            throw PlatformError(QStringLiteral("refused"));
    }

private:
    bool open_ = false;
    QByteArray incoming_;
};

// The platform the control sees in tests, all of it fake.
struct FakePlatform {
    FakeSerialPort serial;
    FakeDeviceCatalogue devices;
    RecordingMessageBoxes messages;
    FakePointerPosition pointer;
};

} // namespace roteka::test

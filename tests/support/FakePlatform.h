#pragma once

#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "app/RunTimeError.h"
#include "map/PointerPosition.h"
#include "serial/DeviceCatalogue.h"
#include "serial/LineSettings.h"
#include "serial/SerialPort.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

#include <optional>

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
            throw RunTimeError(QStringLiteral("device query failed"));
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

// An in-memory serial port: records what is written, delivers what the test feeds. Only the
// port numbers in openablePorts open.
class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    void setCommPort(int number) override {
        if (number < 1 || open_)
            throw RunTimeError(QStringLiteral("invalid port number"));
        commPort_ = number;
    }
    int commPort() const override { return commPort_; }
    void setSettings(const QString& settings) override {
        if (!parseLineSettings(settings))
            throw RunTimeError(QStringLiteral("invalid settings"));
        settings_ = settings;
    }
    QString settings() const override { return settings_; }
    void setPortOpen(bool open) override {
        if (open && (open_ || !openablePorts.contains(commPort_)))
            throw RunTimeError(QStringLiteral("cannot open"));
        opens += open;
        open_ = open;
    }
    bool portOpen() const override { return open_; }
    void output(const QString& text) override {
        if (!open_)
            throw RunTimeError(QStringLiteral("port closed"));
        written += text.toLocal8Bit();
    }
    int inBufferCount() const override { return int(incoming_.size()); }
    QString input() override {
        const QString text = QString::fromLatin1(incoming_.left(inputCount(incoming_.size())));
        incoming_.remove(0, text.size());
        return text;
    }
    int commEvent() const override { return commEvent_; }

    // Raises the receive event when the threshold is met.
    void feed(const QByteArray& bytes) {
        incoming_ += bytes;
        if (receiveThresholdMet(incoming_.size())) {
            commEvent_ = ReceiveEvent;
            emit onComm();
        }
    }
    QByteArray written;
    QList<int> openablePorts{3};
    int opens = 0;

private:
    int commPort_ = 1;
    QString settings_ = QStringLiteral("9600,N,8,1");
    bool open_ = false;
    QByteArray incoming_;
    int commEvent_ = 0;
};

// The platform the window sees in tests, all of it fake.
struct FakePlatform {
    Platform services() { return {serial, devices, messages, pointer}; }
    FakeSerialPort serial;
    FakeDeviceCatalogue devices;
    RecordingMessageBoxes messages;
    FakePointerPosition pointer;
};

} // namespace roteka::test

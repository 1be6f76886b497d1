#include "FakePlatform.h"

#include "serial/LineSettings.h"

#include <QWidget>

namespace roteka::test {

std::optional<QRect> FakePointerPosition::windowRect(const QWidget& widget) {
    if (failRect)
        return std::nullopt;
    return rect.value_or(QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size()));
}

void FakeSerialPort::setCommPort(int number) {
    if (number < 1 || open_)
        throw RunTimeError(QStringLiteral("invalid port number"));
    commPort_ = number;
}

void FakeSerialPort::setSettings(const QString& settings) {
    if (!parseLineSettings(settings))
        throw RunTimeError(QStringLiteral("invalid settings"));
    settings_ = settings;
}

void FakeSerialPort::setPortOpen(bool open) {
    if (open && (open_ || !openablePorts.contains(commPort_)))
        throw RunTimeError(QStringLiteral("cannot open"));
    opens += open;
    open_ = open;
}

void FakeSerialPort::output(const QString& text) {
    if (!open_)
        throw RunTimeError(QStringLiteral("port closed"));
    written += text.toLocal8Bit();
}

QString FakeSerialPort::input() {
    const qsizetype count = inputCount(incoming_.size());
    const QString text = QString::fromLatin1(incoming_.left(count));
    incoming_.remove(0, count);
    return text;
}

void FakeSerialPort::feed(const QByteArray& bytes) {
    incoming_ += bytes;
    if (receiveThresholdMet(incoming_.size()))
        raiseEvent(ReceiveEvent);
}

void FakeSerialPort::raiseEvent(int commEvent) {
    commEvent_ = commEvent;
    emit onComm();
}

} // namespace roteka::test

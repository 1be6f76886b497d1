#include "control/ControllerLink.h"

#include "platform/PlatformError.h"
#include "platform/SerialPort.h"
#include "rules/CommandRules.h"
#include "rules/Numbers.h"
#include "rules/ReplyScanner.h"

namespace roteka {

ControllerLink::ControllerLink(SerialPort& port, QObject* parent) : QObject(parent), port_(port) {
    connect(&port_, &SerialPort::received, this, &ControllerLink::readReplies);
    connect(&port_, &SerialPort::deviceLost, this, &ControllerLink::lost);
}

void ControllerLink::setPortNumber(const QString& text) {
    const auto number = toInt16(text);
    if (!number)
        throw PlatformError(QStringLiteral("\"%1\" is no port number").arg(text));
    port_.setPortNumber(*number);
}

void ControllerLink::setLineSettings(const QString& text) {
    port_.setLineSettings(text);
}

void ControllerLink::open() {
    port_.open();
}

void ControllerLink::close() {
    port_.close();
}

bool ControllerLink::isOpen() const {
    return port_.isOpen();
}

int ControllerLink::portNumber() const {
    return port_.portNumber();
}

void ControllerLink::turnLeft() {
    sendLine(QStringLiteral("L"));
}

void ControllerLink::stop() {
    sendLine(QStringLiteral("A"));
}

void ControllerLink::turnRight() {
    sendLine(QStringLiteral("R"));
}

bool ControllerLink::goTo(int angle) {
    const auto line = goToLine(angle);
    if (line)
        sendLine(*line);
    return line.has_value();
}

void ControllerLink::send(const QString& text) {
    sendLine(text);
}

void ControllerLink::sendLine(const QString& text) {
    port_.write(text + QStringLiteral("\r\n"));
}

void ControllerLink::readReplies() {
    for (const QChar c : port_.readAll()) {
        receiveBuffer_ += c;
        if (const auto azimuth = scanStep(receiveBuffer_))
            emit azimuthReported(*azimuth);
    }
    emit arrivalScanned();
}

} // namespace roteka

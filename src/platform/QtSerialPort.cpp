#include "platform/QtSerialPort.h"

#include "platform/Logging.h"
#include "platform/PlatformError.h"
#include "platform/PortNames.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#endif

namespace roteka {

namespace {

QSerialPort::Parity toQt(LineSettings::Parity parity) {
    switch (parity) {
    case LineSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case LineSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case LineSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    case LineSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    case LineSettings::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(LineSettings::StopBits stopBits) {
    switch (stopBits) {
    case LineSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case LineSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    case LineSettings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

} // namespace

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialPort::received);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::handleError);
}

QtSerialPort::~QtSerialPort() {
    close();
}

void QtSerialPort::openDevice() {
    const QString path = devicePathForPort(portNumber(), aliasDirectory());
    if (path.isEmpty())
        throw PlatformError(QStringLiteral("COM%1 names no device").arg(portNumber()));
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        throw PlatformError(QStringLiteral("%1 does not exist").arg(path));
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite))
        throw PlatformError(QStringLiteral("%1: %2").arg(device, port_.errorString()));
#ifdef Q_OS_UNIX
    if (::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
        port_.close();
        throw PlatformError(QStringLiteral("%1 is in use by another program").arg(device));
    }
#endif
    try {
        applyLineSettings();
    } catch (...) {
        port_.close();
        throw;
    }
    port_.clear();
}

void QtSerialPort::close() {
    if (!port_.isOpen())
        return;
    port_.close();
    port_.clearError();
}

void QtSerialPort::applyLineSettings() {
    const LineSettings& settings = line();
    if (!port_.setBaudRate(settings.baudRate) || !port_.setParity(toQt(settings.parity)) ||
        !port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) ||
        !port_.setStopBits(toQt(settings.stopBits)) ||
        !port_.setFlowControl(QSerialPort::NoFlowControl))
        throw PlatformError(QStringLiteral("the port refused the line settings \"%1\": %2")
                                .arg(lineSettings(), port_.errorString()));
}

void QtSerialPort::writeBytes(const QByteArray& bytes) {
    if (port_.write(bytes) != bytes.size())
        throw PlatformError(QStringLiteral("write failed: %1").arg(port_.errorString()));
    port_.flush();
}

QByteArray QtSerialPort::readBytes() {
    return port_.readAll();
}

void QtSerialPort::handleError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        if (port_.isOpen()) {
            qCWarning(lcSerial).noquote() << QStringLiteral("COM%1 (%2) lost: %3")
                                                 .arg(portNumber())
                                                 .arg(port_.portName(), port_.errorString());
            close();
            emit deviceLost();
        }
        break;
    default:
        break;
    }
}

} // namespace roteka

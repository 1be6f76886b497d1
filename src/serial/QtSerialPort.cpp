#include "serial/QtSerialPort.h"

#include "app/RunTimeError.h"
#include "serial/PortNames.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#endif

namespace roteka {

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::receive);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::handleError);
}

QtSerialPort::~QtSerialPort() {
    if (port_.isOpen())
        close();
}

void QtSerialPort::setCommPort(int number) {
    if (number < 1)
        throw RunTimeError(QStringLiteral("invalid port number %1").arg(number));
    if (port_.isOpen())
        throw RunTimeError(QStringLiteral("the port is already open"));
    commPort_ = number;
}

void QtSerialPort::setSettings(const QString& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        throw RunTimeError(QStringLiteral("invalid line settings \"%1\"").arg(settings));
    line_ = *parsed;
    settingsText_ = settings;
    if (port_.isOpen())
        applyLineSettings();
}

void QtSerialPort::setPortOpen(bool open) {
    if (open)
        this->open();
    else if (port_.isOpen())
        close();
}

void QtSerialPort::open() {
    if (port_.isOpen())
        throw RunTimeError(QStringLiteral("the port is already open"));
    const QString path = devicePathForPort(commPort_, aliasDirectory());
    if (path.isEmpty())
        throw RunTimeError(QStringLiteral("COM%1 names no device").arg(commPort_));
#ifdef Q_OS_WIN
    const QString device = path;
#else
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        throw RunTimeError(QStringLiteral("%1 does not exist").arg(path));
#endif
    port_.setPortName(device);
    received_.clear();
    readPos_ = 0;
    if (!port_.open(QIODevice::ReadWrite))
        throw RunTimeError(QStringLiteral("%1: %2").arg(device, port_.errorString()));
#ifdef Q_OS_UNIX
    if (::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
        port_.close();
        throw RunTimeError(QStringLiteral("%1 is in use by another program").arg(device));
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
    port_.close();
    port_.clearError();
    received_.clear();
    readPos_ = 0;
}

void QtSerialPort::applyLineSettings() {
    if (!port_.setBaudRate(line_.baudRate) || !port_.setParity(line_.parity) ||
        !port_.setDataBits(line_.dataBits) || !port_.setStopBits(line_.stopBits) ||
        !port_.setFlowControl(QSerialPort::NoFlowControl))
        throw RunTimeError(QStringLiteral("the port refused the line settings \"%1\": %2")
                               .arg(settingsText_, port_.errorString()));
}

void QtSerialPort::output(const QString& text) {
    if (!port_.isOpen())
        throw RunTimeError(QStringLiteral("the port is not open"));
    const QByteArray bytes = text.toLocal8Bit();
    if (port_.write(bytes) != bytes.size())
        throw RunTimeError(QStringLiteral("write failed: %1").arg(port_.errorString()));
    port_.flush();
}

int QtSerialPort::inBufferCount() const {
    return static_cast<int>(qMin<qsizetype>(received_.size() - readPos_, 32767));
}

QString QtSerialPort::input() {
    const qsizetype waiting = received_.size() - readPos_;
    const qsizetype count = inputCount(waiting);
    QString text = QString::fromLatin1(received_.constData() + readPos_, count);
    readPos_ += count;
    if (readPos_ == received_.size()) {
        received_.clear();
        readPos_ = 0;
    }
    return text;
}

void QtSerialPort::receive() {
    if (readPos_ > 0) {
        received_.remove(0, readPos_);
        readPos_ = 0;
    }
    received_.append(port_.readAll());
    if (receiveThresholdMet(inBufferCount())) {
        commEvent_ = ReceiveEvent;
        emit onComm();
    }
}

void QtSerialPort::handleError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        if (port_.isOpen()) {
            close();
            emit deviceLost();
        }
        break;
    default:
        break;
    }
}

} // namespace roteka

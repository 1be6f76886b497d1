#include "serial/LineSettings.h"

#include <QStringList>

namespace roteka {

std::optional<LineSettings> parseLineSettings(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;
    LineSettings result;

    bool ok = false;
    const QString baud = fields[0].trimmed();
    const qlonglong baudRate = baud.toLongLong(&ok);
    if (!ok || baud.startsWith(QLatin1Char('+')) || baudRate < 50 || baudRate > 4000000)
        return std::nullopt;
    result.baudRate = static_cast<qint32>(baudRate);

    const QString parity = fields[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        result.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        result.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        result.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        result.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        result.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const QString data = fields[2].trimmed();
    if (data == QLatin1String("5"))
        result.dataBits = QSerialPort::Data5;
    else if (data == QLatin1String("6"))
        result.dataBits = QSerialPort::Data6;
    else if (data == QLatin1String("7"))
        result.dataBits = QSerialPort::Data7;
    else if (data == QLatin1String("8"))
        result.dataBits = QSerialPort::Data8;
    else
        return std::nullopt;

    const QString stop = fields[3].trimmed();
    if (stop == QLatin1String("1"))
        result.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        result.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        result.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return result;
}

} // namespace roteka

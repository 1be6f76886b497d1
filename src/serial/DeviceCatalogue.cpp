#include "serial/DeviceCatalogue.h"

#include "serial/PortNames.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace roteka {

QStringList QtDeviceCatalogue::serialDeviceNames() {
    QStringList names;
    const auto friendly = [](const QString& description, const QString& fallback, int number) {
        const QString base = description.isEmpty() ? fallback : description;
        return QStringLiteral("%1 (COM%2)").arg(base).arg(number);
    };
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const auto number = tablePortNumber(info.systemLocation());
        if (number)
            names.append(friendly(info.description(), info.portName(), *number));
    }
    for (const PortAlias& alias : listPortAliases(aliasDirectory()))
        names.append(friendly(QString(), QFileInfo(alias.target).fileName(), alias.number));
    return names;
}

} // namespace roteka

#include "platform/DeviceCatalogue.h"

#include "platform/PortNames.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <map>

namespace roteka {

namespace {

QString friendlyName(const QString& description, const QString& fallback, int number) {
    const QString base = description.isEmpty() ? fallback : description;
    return QStringLiteral("%1 (COM%2)").arg(base).arg(number);
}

} // namespace

QStringList QtDeviceCatalogue::serialDeviceNames() {
    std::map<int, QString> byNumber;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (const auto number = tablePortNumber(info.systemLocation()))
            byNumber[*number] = friendlyName(info.description(), info.portName(), *number);
    }
    QStringList names;
    for (const auto& [number, name] : byNumber)
        names.append(name);
    for (const PortAlias& alias : listPortAliases(aliasDirectory()))
        names.append(friendlyName(QString(), QFileInfo(alias.target).fileName(), alias.number));
    return names;
}

} // namespace roteka

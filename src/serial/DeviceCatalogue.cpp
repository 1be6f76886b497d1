#include "serial/DeviceCatalogue.h"

#include "serial/PortNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <memory>
#else
#include <QSerialPortInfo>
#endif

#include <algorithm>

namespace roteka {

namespace {

QString friendlyName(const QString& description, const QString& fallback, int number) {
    const QString base = description.isEmpty() ? fallback : description;
    return QStringLiteral("%1 (COM%2)").arg(base).arg(number);
}

QString readAttribute(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

QString productOf(const QString& deviceDir) {
    QDir dir(deviceDir);
    for (int level = 0; level < 4 && !dir.isRoot(); ++level) {
        const QString product = readAttribute(dir.filePath(QStringLiteral("product")));
        if (!product.isEmpty())
            return product;
        dir.cdUp();
    }
    return {};
}

#ifdef Q_OS_LINUX
// The names in a directory, unsorted, read as they come: a tty class directory has an entry
// for every terminal of the system, and a QDir listing of it cost as much as the rest of the
// device list.
QStringList entryNames(const QString& path) {
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(path).constData()),
                                                  &::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names.append(QFile::decodeName(entry->d_name));
    }
    return names;
}
#else
QStringList entryNames(const QString& path) {
    return QDir(path).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
}
#endif

QStringList systemDeviceNames() {
    QStringList names;
#ifdef Q_OS_LINUX
    for (const SystemSerialDevice& device : sysfsSerialDevices(QStringLiteral("/sys/class/tty")))
        names.append(friendlyName(device.description, device.name, device.number));
#else
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const auto number = tablePortNumber(info.systemLocation());
        if (number)
            names.append(friendlyName(info.description(), info.portName(), *number));
    }
#endif
    return names;
}

} // namespace

QList<SystemSerialDevice> sysfsSerialDevices(const QString& ttyClassDir) {
    QList<SystemSerialDevice> devices;
    const QDir classDir(ttyClassDir);
    for (const QString& name : entryNames(ttyClassDir)) {
        const auto number = tablePortNumber(QStringLiteral("/dev/") + name);
        if (!number)
            continue;
        const QString entry = classDir.filePath(name);
        const QFileInfo device(entry + QStringLiteral("/device"));
        const bool virtualPort = name.startsWith(QLatin1String("rfcomm"));
        if (!virtualPort && !device.exists())
            continue;
        if (readAttribute(entry + QStringLiteral("/type")) == QLatin1String("0"))
            continue;
        const QString description =
            device.exists() ? productOf(device.canonicalFilePath()) : QString();
        devices.append({*number, name, description});
    }
    std::sort(devices.begin(), devices.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    return devices;
}

QStringList QtDeviceCatalogue::serialDeviceNames() {
    QStringList names = systemDeviceNames();
    for (const PortAlias& alias : listPortAliases(aliasDirectory()))
        names.append(friendlyName(QString(), QFileInfo(alias.target).fileName(), alias.number));
    return names;
}

} // namespace roteka

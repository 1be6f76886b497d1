#include "platform/PortNames.h"

#include "platform/UserFolders.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace roteka {

namespace {

struct TableRange {
    const char* prefix;
    int first;
};

constexpr int RangeSize = 32;
constexpr std::array<TableRange, 5> Table{{{"/dev/ttyS", 1},
                                           {"/dev/ttyUSB", 33},
                                           {"/dev/ttyACM", 65},
                                           {"/dev/ttyAMA", 97},
                                           {"/dev/rfcomm", 129}}};

// A number as QString::number writes it: decimal digits, no sign, blank or leading zero.
std::optional<int> plainNumber(QStringView text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 0 || text != QString::number(number))
        return std::nullopt;
    return number;
}

} // namespace

QString aliasDirectory() {
    return userConfigDirectory() + QStringLiteral("/ports");
}

QString devicePathForPort(int number, const QString& aliasDir) {
#ifdef Q_OS_WIN
    Q_UNUSED(aliasDir);
    return number > 0 ? QStringLiteral("COM%1").arg(number) : QString();
#else
    if (number <= 0)
        return {};
    const QString alias = aliasDir + QStringLiteral("/COM%1").arg(number);
    if (QFileInfo(alias).isSymLink())
        return alias;
    for (const TableRange& range : Table) {
        if (number >= range.first && number < range.first + RangeSize)
            return QString::fromLatin1(range.prefix) + QString::number(number - range.first);
    }
    return {};
#endif
}

std::optional<int> tablePortNumber(const QString& devicePath) {
#ifdef Q_OS_WIN
    if (!devicePath.startsWith(QLatin1String("COM")))
        return std::nullopt;
    const auto number = plainNumber(QStringView(devicePath).mid(3));
    if (!number || *number < 1)
        return std::nullopt;
    return number;
#else
    for (const TableRange& range : Table) {
        const QLatin1String prefix(range.prefix);
        if (!devicePath.startsWith(prefix))
            continue;
        const auto index = plainNumber(QStringView(devicePath).mid(prefix.size()));
        if (index && *index < RangeSize)
            return range.first + *index;
    }
    return std::nullopt;
#endif
}

std::optional<int> aliasPortNumber(QStringView fileName) {
    if (!fileName.startsWith(QLatin1String("COM")))
        return std::nullopt;
    const auto number = plainNumber(fileName.mid(3));
    if (!number || *number < 1 || *number > 32767)
        return std::nullopt;
    return number;
}

QList<PortAlias> listPortAliases(const QString& aliasDir) {
    QList<PortAlias> aliases;
    const QFileInfoList entries = QDir(aliasDir).entryInfoList(QDir::System | QDir::Files);
    for (const QFileInfo& entry : entries) {
        const auto number = aliasPortNumber(entry.fileName());
        if (!number || !entry.isSymLink())
            continue;
        const QString target = entry.canonicalFilePath();
        if (target.isEmpty())
            continue;
        aliases.append({*number, target});
    }
    std::sort(aliases.begin(), aliases.end(),
              [](const PortAlias& a, const PortAlias& b) { return a.number < b.number; });
    return aliases;
}

} // namespace roteka

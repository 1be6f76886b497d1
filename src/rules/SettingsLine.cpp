#include "rules/SettingsLine.h"

namespace roteka {

std::optional<SettingsFields> splitSettingsLine(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < comma)
        return std::nullopt;

    SettingsFields fields;
    fields.portNumber = line.left(comma);
    fields.lineSettings = line.mid(comma + 1, colon - comma - 1);
    const qsizetype semicolon = line.indexOf(QLatin1Char(';'));
    fields.legacy = semicolon >= 0;
    fields.offset = fields.legacy ? line.mid(semicolon + 1) : line.mid(colon + 1);
    return fields;
}

QString buildSettingsLine(const QString& portNumber, const QString& lineSettings,
                          const QString& offset) {
    return portNumber + QLatin1Char(',') + lineSettings + QLatin1Char(':') + offset;
}

QString portNumberOfListEntry(const QString& entry) {
    const qsizetype com = entry.indexOf(QStringLiteral("COM"), 0, Qt::CaseSensitive);
    QString number = com < 0 ? entry : entry.mid(com + 3);
    const qsizetype close = number.indexOf(QLatin1Char(')'));
    return close < 0 ? number : number.left(close);
}

} // namespace roteka

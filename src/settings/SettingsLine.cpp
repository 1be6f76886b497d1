#include "settings/SettingsLine.h"

#include "app/RunTimeError.h"

namespace roteka {

SettingsFields splitSettingsLine(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        throw RunTimeError(QStringLiteral("the settings line has no \",\""));
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < comma)
        throw RunTimeError(QStringLiteral("the settings line has no \":\" after its \",\""));

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

} // namespace roteka

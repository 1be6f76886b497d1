#pragma once

#include <QString>

namespace roteka {

// The settings file's one line: port number "," line settings ":" offset, for example
// "3,9600,N,8,1:0". Only the first "," separates and the first ":" ends the line settings.
// A line holding a ";" anywhere is of the older form, whose offset follows the first ";".
struct SettingsFields {
    QString portNumber;
    QString lineSettings;
    QString offset;
    bool legacy = false;
};

// Splits a line. A line without "," or without a ":" after the first "," raises RunTimeError.
SettingsFields splitSettingsLine(const QString& line);

QString buildSettingsLine(const QString& portNumber, const QString& lineSettings,
                          const QString& offset);

} // namespace roteka

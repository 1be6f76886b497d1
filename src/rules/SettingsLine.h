#pragma once

#include <QString>

#include <optional>

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

// Splits a line; none for a line without "," or without a ":" after the first ",".
std::optional<SettingsFields> splitSettingsLine(const QString& line);

QString buildSettingsLine(const QString& portNumber, const QString& lineSettings,
                          const QString& offset);

// The port number a device-list entry names, for the settings line: what follows its first
// "COM" (or the whole entry, when it holds none) up to the next ")": "USB Serial (COM5)" -> "5".
QString portNumberOfListEntry(const QString& entry);

} // namespace roteka

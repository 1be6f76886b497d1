#pragma once

#include "rules/SettingsLine.h"

#include <QString>

namespace roteka {

// Responsibilities: the station's settings file, one line: port number "," line settings ":"
// offset, ended by CR LF (an older form holds a ";", see splitSettingsLine()). It reads the line
// as it stands and writes a new one in place of the old, all or nothing, keeping the line as last
// read or written. Failures raise PlatformError naming the file and the reason.
class SettingsStore {
public:
    explicit SettingsStore(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    // Whether a normal file (not a directory, not hidden) stands at the path.
    bool exists() const;
    // The file's first line split into its fields; raises for a file that cannot be read, one
    // without a line, and a line without its "," or without a ":" after it.
    SettingsFields read();
    void write(const QString& portNumber, const QString& lineSettings, const QString& offset);
    const QString& line() const { return line_; }

private:
    QString path_;
    QString line_;
};

} // namespace roteka

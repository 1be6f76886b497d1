#pragma once

#include <QString>

namespace roteka {

// Whether a normal file (not a directory, not hidden) of that name exists.
bool settingsFileExists(const QString& fileName);

// The file's first line: its characters up to the first CR or LF, or to the end of the
// file. A file without any character raises PlatformError, as does one that cannot be read.
QString readSettingsLine(const QString& fileName);

// Replaces the file with the line followed by CR LF, as replaceFile() does.
void writeSettingsLine(const QString& fileName, const QString& line);

// Replaces the file with the bytes. They are written to a temporary file beside it, flushed to
// the disk and renamed over it, so the file holds either its old or its new content whatever
// happens. A failure raises PlatformError naming the reason.
void replaceFile(const QString& fileName, const QByteArray& bytes);

} // namespace roteka

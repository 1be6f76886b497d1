#pragma once

#include <QString>

namespace roteka {

// The per-user configuration folder: $XDG_CONFIG_HOME/roteka, or ~/.config/roteka when that
// variable is unset or not an absolute path; on Windows %APPDATA%\roteka (the application's
// name set). It holds the configuration file roteka.conf and, on Linux, the port aliases.
QString userConfigDirectory();

} // namespace roteka

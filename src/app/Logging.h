#pragma once

#include <QLoggingCategory>

namespace roteka {

// The program's own logging category: its options, its configuration file, its start.
Q_DECLARE_LOGGING_CATEGORY(lcApp)

// Sends every log message to the standard error output, one line each, its category first
// ("roteka.serial: COM3: turning left: the port is not open"); on Windows a program started from
// a console writes there.
void logToStandardError();

} // namespace roteka

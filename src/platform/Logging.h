#pragma once

#include <QLoggingCategory>

namespace roteka {

// The platform services' logging categories: the serial port and the device list, the settings
// and configuration files.
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

} // namespace roteka

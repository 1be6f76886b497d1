#include "platform/Logging.h"

namespace roteka {

Q_LOGGING_CATEGORY(lcSerial, "roteka.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "roteka.settings", QtInfoMsg)

} // namespace roteka

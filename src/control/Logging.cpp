#include "control/Logging.h"

namespace roteka {

Q_LOGGING_CATEGORY(lcControl, "roteka.control", QtInfoMsg)

} // namespace roteka

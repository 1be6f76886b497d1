#include "net/Logging.h"

namespace roteka {

Q_LOGGING_CATEGORY(lcNet, "roteka.net", QtInfoMsg)

} // namespace roteka

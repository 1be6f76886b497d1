#include "ui/Logging.h"

namespace roteka {

Q_LOGGING_CATEGORY(lcUi, "roteka.ui", QtInfoMsg)

} // namespace roteka

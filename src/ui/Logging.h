#pragma once

#include <QLoggingCategory>

namespace roteka {

// The window's logging category: what the window could not show as asked (a station map it
// could not use).
Q_DECLARE_LOGGING_CATEGORY(lcUi)

} // namespace roteka

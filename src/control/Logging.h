#pragma once

#include <QLoggingCategory>

namespace roteka {

// The rotator control's logging category: what the operator's actions and other programs'
// requests carried on past.
Q_DECLARE_LOGGING_CATEGORY(lcControl)

} // namespace roteka

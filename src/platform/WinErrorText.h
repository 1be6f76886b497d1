#pragma once

#include <QString>

namespace roteka {

// The system's own text for a Windows error code (GetLastError()), in the user's language,
// without the line break it ends in; "system error <code>" when the system has none.
QString windowsErrorText(unsigned long code);

} // namespace roteka

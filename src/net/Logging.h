#pragma once

#include <QLoggingCategory>

namespace roteka {

// The network's logging category: listeners that could not start, requests refused, datagrams
// that were not understood.
Q_DECLARE_LOGGING_CATEGORY(lcNet)

} // namespace roteka

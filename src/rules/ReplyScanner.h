#pragma once

#include <QString>

#include <optional>

namespace roteka {

// Whether every character of the text is one of "1234567890" (true for the empty text).
bool isAllDigits(const QString& text);

// One scan step over the receive buffer, which holds received characters not yet consumed.
// The controller reports its azimuth as "AZ=" followed by three digits. Exactly one of:
// a buffer not beginning with "A" loses its first character; a complete reply is taken off
// and its azimuth returned (360 or more reduced by 360 once); a buffer of six or more
// characters that is no reply loses its first character; a shorter one beginning with "A"
// waits for more characters.
std::optional<int> scanStep(QString& buffer);

} // namespace roteka

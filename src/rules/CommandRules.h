#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace roteka {

// The go-to command for a last-commanded angle text, chosen by the text's length and using
// the text unchanged: "5" -> "M005", "45" -> "M045", "199" -> "M199", "-5" -> "M0-5". Texts
// of length 0 or of 4 characters and more give none: nothing is sent.
std::optional<QString> goToLine(QStringView angleText);

// The last-commanded angle after a step of 15 degrees to the right: 360 or more wraps once.
QString stepRight(QStringView angleText);

// The last-commanded angle after a step of 15 degrees to the left: 0 or less wraps once.
QString stepLeft(QStringView angleText);

// The target of a map click: the bearing rounded (halves to even), plus the offset text's
// leading number, rounded again, plus 360 once when negative; none when the result does not
// fit a 16-bit whole number.
std::optional<int> mapTarget(double bearing, QStringView offsetText);

} // namespace roteka

#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace roteka {

// The value of a text's leading number: blanks are skipped, then an optional sign, digits
// and an optional "." with more digits are read up to the first other character; a text
// that does not start with a number (the empty text included) gives 0.
double leadingNumber(QStringView text);

// A text converted to a 16-bit whole number: blanks around it are ignored, a fraction is
// rounded to the nearest integer with ties to the even one. A text that is not a number
// (the empty text included) or lies outside -32768..32767 gives none.
std::optional<qint16> toInt16(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);

// How the program writes a Boolean into a text: "True" or "False".
inline QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace roteka

#include "rules/CommandRules.h"

#include "rules/Numbers.h"

namespace roteka {

std::optional<QString> goToLine(QStringView angleText) {
    switch (angleText.size()) {
    case 1:
        return QStringLiteral("M00") + angleText.toString();
    case 2:
        return QStringLiteral("M0") + angleText.toString();
    case 3:
        return QStringLiteral("M") + angleText.toString();
    default:
        return std::nullopt;
    }
}

QString stepRight(QStringView angleText) {
    const QString sum = numberText(leadingNumber(angleText) + 15);
    const double value = leadingNumber(sum);
    return value >= 360 ? numberText(value - 360) : sum;
}

QString stepLeft(QStringView angleText) {
    const QString difference = numberText(leadingNumber(angleText) - 15);
    const double value = leadingNumber(difference);
    return value <= 0 ? numberText(value + 360) : difference;
}

std::optional<int> mapTarget(double bearing, QStringView offsetText) {
    const double target = roundHalfEven(roundHalfEven(bearing) + leadingNumber(offsetText));
    if (!(target >= -32768.0 && target <= 32767.0))
        return std::nullopt;
    const int whole = static_cast<int>(target);
    return whole < 0 ? whole + 360 : whole;
}

} // namespace roteka

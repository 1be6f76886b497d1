#include "rules/CommandRules.h"

#include "rules/Numbers.h"

namespace roteka {

QString commandedAngleText(const std::optional<CommandedAngle>& angle) {
    if (!angle)
        return QString();
    return angle->unreported ? azimuthText(std::nullopt) : QString::number(angle->degrees);
}

QString azimuthText(std::optional<int> azimuth) {
    return azimuth ? QString::number(*azimuth) : QStringLiteral("000");
}

std::optional<QString> goToLine(int angle) {
    const QString text = QString::number(angle);
    switch (text.size()) {
    case 1:
        return QStringLiteral("M00") + text;
    case 2:
        return QStringLiteral("M0") + text;
    case 3:
        return QStringLiteral("M") + text;
    default:
        return std::nullopt;
    }
}

int stepRight(std::optional<int> angle) {
    const int sum = angle.value_or(0) + 15;
    return sum >= 360 ? sum - 360 : sum;
}

int stepLeft(std::optional<int> angle) {
    const int difference = angle.value_or(0) - 15;
    return difference <= 0 ? difference + 360 : difference;
}

std::optional<int> mapTarget(double bearing, double offset) {
    const double target = roundHalfEven(roundHalfEven(bearing) + offset);
    if (!(target >= -32768.0 && target <= 32767.0))
        return std::nullopt;
    const int whole = static_cast<int>(target);
    return whole < 0 ? whole + 360 : whole;
}

} // namespace roteka

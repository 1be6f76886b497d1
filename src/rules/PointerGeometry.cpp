#include "rules/PointerGeometry.h"

#include "rules/Bearing.h"

#include <QRegularExpression>
#include <QString>

#include <cmath>

namespace roteka {

QPointF pointerEnd(double bearingDegrees, double lengthTwips) {
    const double radians = (90.0 - bearingDegrees) * pi() / 180.0;
    const float x = static_cast<float>(MapCentreTwips.x() + lengthTwips * std::cos(radians));
    const float y = static_cast<float>(MapCentreTwips.y() - lengthTwips * std::sin(radians));
    return {x, y};
}

bool aimPointerWanted(QStringView offsetText) {
    static const QRegularExpression zero(QStringLiteral("^ *[+-]?(0+\\.?0*|\\.0+) *$"));
    return !offsetText.isEmpty() && !zero.match(offsetText.toString()).hasMatch();
}

} // namespace roteka

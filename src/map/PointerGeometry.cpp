#include "map/PointerGeometry.h"

#include "map/Module1.h"

#include <QRegularExpression>
#include <QString>

#include <cmath>

namespace roteka {

QPointF pointerEnd(double bearingDegrees, double lengthTwips) {
    const double radians = (90.0 - bearingDegrees) * Module1::Pi() / 180.0;
    return {MapCentreTwips.x() + lengthTwips * std::cos(radians),
            MapCentreTwips.y() - lengthTwips * std::sin(radians)};
}

bool aimPointerWanted(QStringView offsetText) {
    static const QRegularExpression zero(QStringLiteral("^ *[+-]?(0+\\.?0*|\\.0+) *$"));
    return !offsetText.isEmpty() && !zero.match(offsetText.toString()).hasMatch();
}

} // namespace roteka

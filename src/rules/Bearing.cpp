#include "rules/Bearing.h"

#include <cmath>

namespace roteka {

double pi() {
    return 4.0 * std::atan(1.0);
}

std::optional<double> vectorAngle(double x, double y) {
    const double p = pi();
    if (x == 0 && y == 0)
        return 0;
    if (x > 0 && y == 0)
        return 0;
    if (x == 0 && y > 0)
        return p / 2;
    if (x < 0 && y == 0)
        return p / 2 + p / 2;
    if (x == 0 && y < 0)
        return (p / 2) * 3;
    if (std::isnan(x) || std::isnan(y))
        return 0;
    const double ratio = std::fabs(y) / std::fabs(x);
    if (std::isnan(ratio))
        return std::nullopt;
    const double t = std::atan(ratio);
    if (x > 0 && y > 0)
        return t;
    if (x < 0 && y > 0)
        return (p / 2 - t) + p / 2;
    if (x < 0 && y < 0)
        return t + p;
    if (x > 0 && y < 0) {
        // Just below the +x axis the sum rounds up to a full turn, which is 0.
        const double angle = (p / 2 - t) + (p / 2) * 3;
        return angle < 2 * p ? angle : 0;
    }
    return 0;
}

double clickedBearing(int x, int y) {
    constexpr int CentreX = 102;
    constexpr int CentreY = 102;
    // The map's bearings have always been read with 6.28 for a full turn, so a click lands
    // up to half a degree clockwise of its true bearing; operators' offsets allow for it.
    constexpr double DegreesPerRadian = 360 / 6.28;
    // The vector from the click to the centre (screen y downwards) has its angle 0 toward
    // the west of the click, growing clockwise on screen: a quarter turn less is the bearing.
    constexpr double WestToNorth = 90;
    const double angle = vectorAngle(CentreX - x, CentreY - y).value_or(0);
    return angle * DegreesPerRadian - WestToNorth;
}

} // namespace roteka

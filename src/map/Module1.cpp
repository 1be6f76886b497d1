#include "map/Module1.h"

#include "app/RunTimeError.h"

#include <cmath>

namespace roteka::Module1 {

double Pi() {
    return 4.0 * std::atan(1.0);
}

double VectorAngle(const double& x, const double& y) {
    const double p = Pi();
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
        throw RunTimeError(QStringLiteral("the direction of an infinite vector is undefined"));
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

} // namespace roteka::Module1

namespace roteka {

double clickedBearing(int X, int Y) {
    constexpr int CentreX = 102;
    constexpr int CentreY = 102;
    const double x = CentreX - X;
    const double y = CentreY - Y;
    return Module1::VectorAngle(x, y) * 360 / 6.28 - 90;
}

} // namespace roteka

#include "mapgen/geo.h"

namespace roteka::mapgen {

std::optional<GeoPoint> locatorCentre(const QString& locator) {
    if (locator.size() != 4 && locator.size() != 6 && locator.size() != 8)
        return std::nullopt;
    // Each pair of characters (letters A-R, digits, letters A-X, digits) divides the square of
    // the pair before it in longitude and latitude; the first pair's squares are 20 x 10 degrees.
    const QString upper = locator.toUpper();
    GeoPoint corner{-90.0, -180.0};
    double lonSize = 360.0, latSize = 180.0;
    for (qsizetype pair = 0; pair < upper.size(); pair += 2) {
        const bool digits = pair % 4 == 2;
        const char16_t first = digits ? u'0' : u'A';
        const int divisions = digits ? 10 : pair == 0 ? 18 : 24;
        const int lon = upper[pair].unicode() - first, lat = upper[pair + 1].unicode() - first;
        if (lon < 0 || lon >= divisions || lat < 0 || lat >= divisions)
            return std::nullopt;
        lonSize /= divisions;
        latSize /= divisions;
        corner.lon += lon * lonSize;
        corner.lat += lat * latSize;
    }
    return GeoPoint{corner.lat + latSize / 2, corner.lon + lonSize / 2};
}

} // namespace roteka::mapgen

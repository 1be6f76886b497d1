#include "mapgen/projection.h"

#include <cmath>

namespace roteka::mapgen {

AzimuthalEquidistant::AzimuthalEquidistant(GeoPoint station, QPointF centre, double radiusPx,
                                           double rangeKm)
    : station_(station), centre_(centre), radiusPx_(radiusPx), rangeKm_(rangeKm),
      sinLat0_(std::sin(degToRad(station.lat))), cosLat0_(std::cos(degToRad(station.lat))) {}

PolarPosition AzimuthalEquidistant::polar(GeoPoint p) const {
    const double lat = degToRad(p.lat);
    const double dLon = degToRad(p.lon - station_.lon);
    const double sinLat = std::sin(lat);
    const double cosLat = std::cos(lat);
    const double east = cosLat * std::sin(dLon);
    const double north = cosLat0_ * sinLat - sinLat0_ * cosLat * std::cos(dLon);
    const double along = sinLat0_ * sinLat + cosLat0_ * cosLat * std::cos(dLon);

    PolarPosition result;
    result.distanceRad = std::atan2(std::hypot(east, north), along);
    double bearing = std::atan2(east, north);
    if (bearing < 0.0) {
        bearing += 2.0 * kPi;
    }
    result.bearingRad = bearing >= 2.0 * kPi ? 0.0 : bearing;
    return result;
}

QPointF AzimuthalEquidistant::project(GeoPoint p) const {
    const PolarPosition pp = polar(p);
    return fromPolar(pp.distanceRad * kEarthRadiusKm, pp.bearingRad);
}

QPointF AzimuthalEquidistant::fromPolar(double distanceKm, double bearingRad) const {
    const double r = distanceKm * pixelsPerKm();
    return {centre_.x() + r * std::sin(bearingRad), centre_.y() - r * std::cos(bearingRad)};
}

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

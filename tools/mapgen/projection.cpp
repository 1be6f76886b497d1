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

} // namespace roteka::mapgen

#pragma once

#include "mapgen/geo.h"

#include <algorithm>
#include <cmath>

// Test-side geodesy done with 3-D unit vectors, deliberately unlike the trigonometric
// formulas of the projection under test.
namespace testgeo {

using roteka::mapgen::degToRad;
using roteka::mapgen::GeoPoint;
using roteka::mapgen::radToDeg;

struct Vec {
    double x, y, z;
};

inline Vec operator*(double k, Vec v) {
    return {k * v.x, k * v.y, k * v.z};
}
inline Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// The point reached from start after distanceKm along the great circle leaving at bearingDeg.
inline GeoPoint destination(GeoPoint start, double bearingDeg, double distanceKm) {
    const double lat = degToRad(start.lat);
    const double lon = degToRad(start.lon);
    const Vec here{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    const Vec north{-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon), std::cos(lat)};
    const Vec east{-std::sin(lon), std::cos(lon), 0.0};
    const double az = degToRad(bearingDeg);
    const double delta = distanceKm / roteka::mapgen::kEarthRadiusKm;
    const Vec heading = std::cos(az) * north + std::sin(az) * east;
    const Vec p = std::cos(delta) * here + std::sin(delta) * heading;
    return {radToDeg(std::asin(std::clamp(p.z, -1.0, 1.0))), radToDeg(std::atan2(p.y, p.x))};
}

inline GeoPoint antipode(GeoPoint p) {
    return {-p.lat, p.lon > 0.0 ? p.lon - 180.0 : p.lon + 180.0};
}

} // namespace testgeo

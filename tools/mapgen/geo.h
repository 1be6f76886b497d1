#pragma once

#include "rules/Locator.h"

namespace roteka::mapgen {

// Spelled out: moc of Qt 6.4 fails to parse <numbers> when a test file pulls it in.
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kEarthRadiusKm = EarthRadiusKm;
inline constexpr double kAntipodeDistanceKm = kPi * kEarthRadiusKm;

inline constexpr double degToRad(double deg) {
    return deg * kPi / 180.0;
}
inline constexpr double radToDeg(double rad) {
    return rad * 180.0 / kPi;
}

} // namespace roteka::mapgen

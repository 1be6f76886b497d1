#pragma once

#include <QString>

#include <optional>

namespace roteka::mapgen {

// A position on the Earth in degrees; latitude positive north, longitude positive east.
struct GeoPoint {
    double lat = 0.0;
    double lon = 0.0;
};

// Spelled out: moc of Qt 6.4 fails to parse <numbers> when a test file pulls it in.
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kEarthRadiusKm = 6371.0;
inline constexpr double kAntipodeDistanceKm = kPi * kEarthRadiusKm;

inline constexpr double degToRad(double deg) {
    return deg * kPi / 180.0;
}
inline constexpr double radToDeg(double rad) {
    return rad * 180.0 / kPi;
}

// The centre of a Maidenhead locator square of 4, 6 or 8 characters, either case ("IO91wm");
// none for anything else.
std::optional<GeoPoint> locatorCentre(const QString& locator);

} // namespace roteka::mapgen

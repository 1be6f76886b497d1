// Any input read as a locator and as a station text, and its first 32 bytes as two places.
#include "Check.h"
#include "rules/Locator.h"

#include <cmath>
#include <cstdint>
#include <cstring>

using namespace roteka;

namespace {

bool onEarth(GeoPoint p) {
    return std::fabs(p.lat) <= 90 && std::fabs(p.lon) <= 180;
}

// The short path between two places, and the first one's station text read back.
void checkPath(GeoPoint from, GeoPoint to) {
    const GreatCircle path = greatCircle(from, to);
    CHECK(path.bearing >= 0 && path.bearing < 360);
    CHECK(path.distanceKm >= 0 && path.distanceKm <= GreatCircleKm / 2 + 1e-6);
    const std::optional<GeoPoint> back = parseStationText(stationText(from));
    CHECK(back && std::fabs(back->lat - from.lat) <= 1e-6 &&
          std::fabs(back->lon - from.lon) <= 1e-6);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<GeoPoint> centre = locatorCentre(input);
    CHECK(centre.has_value() == (locatorProblem(input) == LocatorProblem::None));
    if (centre)
        checkPath(*centre, *centre);
    if (const std::optional<GeoPoint> station = parseStationText(input))
        CHECK(onEarth(*station));
    double v[4] = {};
    std::memcpy(v, data, qMin(size, sizeof v));
    if (onEarth({v[0], v[1]}) && onEarth({v[2], v[3]}))
        checkPath({v[0], v[1]}, {v[2], v[3]});
    return 0;
}

// Locators, great circles and the station text: the input is read as a locator, as a pair of
// locators split by the first "|", as a station text, and its first 32 bytes as two places.
// A locator has a centre exactly when it has no problem, and the centre lies on the Earth;
// every path between two places on the Earth has a finite bearing in [0, 360) and a distance
// of at most half a great circle; a station written and read again moves by 1e-6 at most.
#include "rules/Locator.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace roteka;

namespace {

[[noreturn]] void fail(const char* what, const QString& input) {
    std::fprintf(stderr, "locator: %s: \"%s\"\n", what, qPrintable(input));
    std::abort();
}

bool onEarth(GeoPoint p) {
    return std::fabs(p.lat) <= 90 && std::fabs(p.lon) <= 180;
}

std::optional<GeoPoint> checkedCentre(const QString& locator) {
    const std::optional<GeoPoint> centre = locatorCentre(locator);
    if ((locatorProblem(locator) == LocatorProblem::None) != centre.has_value())
        fail("a centre exactly when there is no problem", locator);
    if (centre && !(std::fabs(centre->lat) < 90 && std::fabs(centre->lon) < 180))
        fail("centre off the Earth", locator);
    return centre;
}

void checkPath(GeoPoint from, GeoPoint to, const QString& input) {
    const GreatCircle path = greatCircle(from, to);
    if (!(path.bearing >= 0 && path.bearing < 360))
        fail("bearing outside [0, 360)", input);
    if (!(path.distanceKm >= 0 && path.distanceKm <= GreatCircleKm / 2 + 1e-6))
        fail("distance outside half a great circle", input);
    const double longBearing = longPathBearing(path.bearing);
    if (!(longBearing >= 0 && longBearing < 360) ||
        !std::isfinite(longPathDistanceKm(path.distanceKm)))
        fail("no long path", input);
}

void checkRoundTrip(GeoPoint p, const QString& input) {
    const std::optional<GeoPoint> back = parseStationText(stationText(p));
    if (!back || std::fabs(back->lat - p.lat) > 1e-6 || std::fabs(back->lon - p.lon) > 1e-6)
        fail("station text does not round-trip", input + " -> " + stationText(p));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    checkedCentre(input);
    if (const qsizetype bar = input.indexOf(u'|'); bar >= 0) {
        const auto from = checkedCentre(input.left(bar));
        const auto to = checkedCentre(input.mid(bar + 1));
        if (from && to)
            checkPath(*from, *to, input);
    }

    if (const std::optional<GeoPoint> station = parseStationText(input)) {
        if (!onEarth(*station) || !std::isfinite(station->lat) || !std::isfinite(station->lon))
            fail("station text read off the Earth", input);
        checkRoundTrip(*station, input);
    }

    if (size >= 4 * sizeof(double)) {
        double v[4];
        std::memcpy(v, data, sizeof v);
        const GeoPoint from{v[0], v[1]}, to{v[2], v[3]};
        if (onEarth(from) && onEarth(to)) {
            checkPath(from, to,
                      QStringLiteral("%1,%2 to %3,%4")
                          .arg(v[0], 0, 'g', 17)
                          .arg(v[1], 0, 'g', 17)
                          .arg(v[2], 0, 'g', 17)
                          .arg(v[3], 0, 'g', 17));
            checkRoundTrip(from, input);
        }
    }
    return 0;
}

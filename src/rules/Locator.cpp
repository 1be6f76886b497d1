#include "rules/Locator.h"

#include <QLocale>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace roteka {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double DegreesPerRadian = 180 / std::numbers::pi;

// What each character of a locator may be, by its place, and what it divides the pair before.
struct LocatorPlace {
    char16_t first;
    char16_t last;
    int divisions;
    LocatorProblem problem;
};
constexpr std::array<LocatorPlace, 4> LocatorPairs{{
    {u'A', u'R', 18, LocatorProblem::BadField},
    {u'0', u'9', 10, LocatorProblem::BadSquare},
    {u'A', u'X', 24, LocatorProblem::BadSubsquare},
    {u'0', u'9', 10, LocatorProblem::BadExtendedSquare},
}};

// The character's offset from the first of its place (letters in either case), or -1.
int placeValue(QChar c, const LocatorPlace& place) {
    char16_t u = c.unicode();
    if (place.first == u'A' && u >= u'a' && u <= u'z')
        u = u - u'a' + u'A';
    return u >= place.first && u <= place.last ? u - place.first : -1;
}

double inTurn(double degrees) {
    const double turned = std::fmod(degrees, 360.0);
    const double positive = turned < 0 ? turned + 360 : turned;
    // A tiny negative angle moved up by a turn rounds to 360 itself.
    return positive < 360 ? positive : 0;
}

bool validPoint(GeoPoint p) {
    return std::isfinite(p.lat) && std::isfinite(p.lon) && std::fabs(p.lat) <= 90;
}

// Where the run of ASCII digits starting at i ends.
qsizetype digitsEnd(QStringView text, qsizetype i) {
    while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9')
        ++i;
    return i;
}

// A plain decimal number: an optional "-", digits, and optionally "." followed by digits.
std::optional<double> plainDecimal(QStringView text) {
    const qsizetype whole = text.startsWith(u'-') ? 1 : 0;
    qsizetype end = digitsEnd(text, whole);
    if (end == whole)
        return std::nullopt;
    if (end < text.size() && text[end] == u'.') {
        const qsizetype fraction = end + 1;
        end = digitsEnd(text, fraction);
        if (end == fraction)
            return std::nullopt;
    }
    if (end != text.size())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

QString sixDecimals(double value) {
    // Rounded to nothing, a small negative value is written without its minus sign.
    return QString::number(std::round(value * 1e6) == 0 ? 0.0 : value, 'f', 6);
}

} // namespace

LocatorProblem locatorProblem(QStringView locator) {
    const QStringView text = locator.trimmed();
    for (qsizetype i = 0; i < text.size() && i < 2 * qsizetype(LocatorPairs.size()); ++i) {
        const LocatorPlace& place = LocatorPairs[i / 2];
        if (placeValue(text[i], place) < 0)
            return place.problem;
    }
    return text.size() == 4 || text.size() == 6 || text.size() == 8 ? LocatorProblem::None
                                                                    : LocatorProblem::WrongLength;
}

std::optional<GeoPoint> locatorCentre(QStringView locator) {
    if (locatorProblem(locator) != LocatorProblem::None)
        return std::nullopt;
    const QStringView text = locator.trimmed();
    // Each pair divides the box of the pair before into a grid, longitude first; the first
    // pair's box is the whole Earth.
    GeoPoint corner{-90, -180};
    double lonSize = 360, latSize = 180;
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const LocatorPlace& place = LocatorPairs[i / 2];
        lonSize /= place.divisions;
        latSize /= place.divisions;
        corner.lon += placeValue(text[i], place) * lonSize;
        corner.lat += placeValue(text[i + 1], place) * latSize;
    }
    return GeoPoint{corner.lat + latSize / 2, corner.lon + lonSize / 2};
}

GreatCircle greatCircle(GeoPoint from, GeoPoint to) {
    if (!validPoint(from) || !validPoint(to))
        return {NaN, NaN};
    // At a pole every longitude names the same place; the one of the other point is taken, so
    // that the way from a pole runs along that point's meridian.
    const bool atPole = std::fabs(from.lat) == 90 || std::fabs(to.lat) == 90;
    const double dLonDeg = atPole ? 0 : std::remainder(to.lon - from.lon, 360.0);
    if (from.lat == to.lat && dLonDeg == 0)
        return {0, 0};
    if (from.lat == -to.lat && std::fabs(dLonDeg) == 180)
        return {0, GreatCircleKm / 2};

    const double lat1 = from.lat / DegreesPerRadian, lat2 = to.lat / DegreesPerRadian;
    const double dLon = dLonDeg / DegreesPerRadian;
    const double east = std::cos(lat2) * std::sin(dLon);
    const double north =
        std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon);
    const double along =
        std::sin(lat1) * std::sin(lat2) + std::cos(lat1) * std::cos(lat2) * std::cos(dLon);
    const double distanceKm = std::atan2(std::hypot(east, north), along) * EarthRadiusKm;
    return {inTurn(std::atan2(east, north) * DegreesPerRadian), distanceKm};
}

double longPathBearing(double shortPathBearing) {
    return std::isfinite(shortPathBearing) ? inTurn(shortPathBearing + 180) : NaN;
}

double longPathDistanceKm(double shortPathKm) {
    return shortPathKm >= 0 && shortPathKm <= GreatCircleKm ? GreatCircleKm - shortPathKm : NaN;
}

QString stationText(GeoPoint station) {
    return sixDecimals(station.lat) + u',' + sixDecimals(station.lon);
}

std::optional<GeoPoint> parseStationText(QStringView text) {
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0)
        return std::nullopt;
    const std::optional<double> lat = plainDecimal(text.left(comma));
    const std::optional<double> lon = plainDecimal(text.mid(comma + 1));
    if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180)
        return std::nullopt;
    return GeoPoint{*lat, *lon};
}

} // namespace roteka

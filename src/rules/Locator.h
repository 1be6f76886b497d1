#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace roteka {

// A place on the Earth in degrees, latitude north positive (-90..90), longitude east positive
// (-180..180).
struct GeoPoint {
    double lat = 0;
    double lon = 0;
};

// The Earth as a sphere: its radius, and the length of a great circle round it.
inline constexpr double EarthRadiusKm = 6371.0;
inline constexpr double GreatCircleKm = 2 * 3.14159265358979323846 * EarthRadiusKm;

// A Maidenhead locator has 4, 6 or 8 characters, in pairs of longitude then latitude: the field
// (letters A-R, 20 x 10 degrees), the square (digits, 2 x 1 degrees), the subsquare (letters
// A-X, 5 x 2.5 minutes) and the extended square (digits, 30 x 15 seconds). Letters are taken in
// either case; only ASCII letters and digits count. Blanks before and after the locator are
// ignored (an operator's stray space is no mistake); a blank inside it is a wrong character.
// The first wrong character from the left names the problem, so "S" is already a bad field;
// a locator whose characters are all right but that has another length (the empty one too,
// or "IO9" while it is being typed) is of the wrong length.
enum class LocatorProblem {
    None,
    WrongLength,
    BadField,
    BadSquare,
    BadSubsquare,
    BadExtendedSquare
};
LocatorProblem locatorProblem(QStringView locator);

// The centre of the locator's square, subsquare or extended square; none exactly when
// locatorProblem is not None. "JJ00" gives 0.5 N 1 E.
std::optional<GeoPoint> locatorCentre(QStringView locator);

// The short path from one place to another on a sphere of EarthRadiusKm: the initial bearing,
// clockwise from true north in [0, 360), and the distance. Longitudes are taken modulo 360, so
// the date line is no edge (179 and -179 are 2 degrees apart). Where no direction is better than
// another the bearing is 0: for the same place (distance 0) and for the antipode (distance half
// a great circle). From the North Pole every way is south (180), to the South Pole too, and from
// the South Pole every way is north (0); at a pole all longitudes are the same place. A point
// that is not finite or has a latitude outside -90..90 gives NaN in both fields.
struct GreatCircle {
    double bearing = 0;
    double distanceKm = 0;
};
GreatCircle greatCircle(GeoPoint from, GeoPoint to);

// The long path's bearing: the short path's turned by 180 degrees, in [0, 360); NaN for NaN
// or an infinite bearing.
double longPathBearing(double shortPathBearing);

// The long path's distance: the rest of the great circle, GreatCircleKm less the short path;
// NaN for a short path outside 0..GreatCircleKm.
double longPathDistanceKm(double shortPathKm);

// The station recorded in a map image: a PNG text entry under this key, "lat,lon" in degrees
// with six decimals and a point ("35.680000,139.770000").
inline constexpr char StationTextKey[] = "roteka-station";

// The entry's text for a station, rounded to six decimals; a point that is not finite or lies
// off the Earth by more than that rounding gives a text parseStationText refuses.
QString stationText(GeoPoint station);

// The station of an entry's text: exactly two plain decimal numbers (an optional "-", digits,
// optionally "." and more digits) split by one ",", with nothing else, not even blanks, the
// latitude within -90..90 and the longitude within -180..180; none otherwise.
std::optional<GeoPoint> parseStationText(QStringView text);

} // namespace roteka

// Locators, great circles and the station text of a map.
#include "rules/Locator.h"

#include "Tables.h"

#include <cmath>

using namespace roteka;
using roteka::test::table;

Q_DECLARE_METATYPE(roteka::GeoPoint)

namespace {

// The expected value when the actual one is within the tolerance: QCOMPARE shows both otherwise.
double near(double actual, double expected, double tolerance) {
    const bool bothNan = std::isnan(actual) && std::isnan(expected);
    return std::fabs(actual - expected) <= tolerance || bothNan ? expected : actual;
}

const double Nan = qQNaN(), Half = GreatCircleKm / 2, Degree = GreatCircleKm / 360;

} // namespace

// One row a line.
// clang-format off
class LocatorTest : public QObject {
    Q_OBJECT
private slots:
    // The centre, or what is wrong (and then no centre).
    void locators_data() {
        table<QString, QString>({"locator", "centre"}, {
            {"blanks around, any case", " io91WM\t", "51.520833,-0.125000"},
            {"ideographic spaces around", "\u3000PM95vq\u3000", "35.687500,139.791667"},
            {"south-west corner", "AA00", "-89.500000,-179.000000"},
            {"north-east corner", "RR99xx99", "89.997917,179.995833"},
            {"empty", "", "length"},
            {"being typed", "IO9", "length"},
            {"ten", "IO91wm48xx", "length"},
            {"past R", "S", "field"},
            {"before A", "@A00", "field"},
            {"blank inside", "IO 1", "square"},
            {"past 9", "IO9:", "square"},
            {"past X", "IO91yx", "subsquare"},
            {"extended", "IO91wm4x", "extended"},
        });
    }
    void locators() {
        QFETCH(QString, locator);
        const std::optional<GeoPoint> centre = locatorCentre(locator);
        const QStringList problems{"", "length", "field", "square", "subsquare", "extended"};
        const QString wrong = problems[int(locatorProblem(locator))];
        QCOMPARE(centre ? wrong + stationText(*centre) : wrong, FETCHED(QString, centre));
    }

    // Published city pairs (computed on other spheres) hold to 0.5 degree and 1 %.
    void greatCircles_data() {
        const GeoPoint lax{33.95, -118.4}, jfk{40 + 38 / 60., -73 - 47 / 60.}, london{51.5, -0.13};
        const GeoPoint valparaiso{-33, -71.6}, shanghai{31.4, 121.8};
        const GeoPoint valparaiso2{-33 - 1 / 60., -72 - 10 / 60.},
            sf{37 + 50 / 60., -123 - 14 / 60.};
        table<GeoPoint, GeoPoint, double, double>({"from", "to", "bearing", "km"}, {
            {"LAX-JFK", lax, jfk, 66, 3970.7},
            {"Valparaiso-Shanghai", valparaiso, shanghai, 265.59, 18743},
            {"Shanghai-Valparaiso", shanghai, valparaiso, 101.58, 18743},
            {"Valparaiso-San Francisco", valparaiso2, sf, 321.94, 9478.4},
            {"same place, 180 and -180", {10, 180}, {10, -180}, 0, 0},
            {"east over the date line", {0, 179}, {0, -179}, 90, 2 * Degree},
            {"antipode, longitude 540", {0, 0}, {0, 540}, 0, Half},
            {"same pole", {90, 0}, {90, 123}, 0, 0},
            {"from the North Pole", {90, 40}, london, 180, 38.5 * Degree},
            {"from the South Pole", {-90, 0}, london, 0, 141.5 * Degree},
            {"a hair west of north", {0, 0}, {10, -1e-15}, 0, 10 * Degree},
            {"latitude past 90", {90.000001, 0}, london, Nan, Nan},
            {"infinite longitude", {0, qInf()}, london, Nan, Nan},
        });
    }
    void greatCircles() {
        const GreatCircle path = greatCircle(FETCHED(GeoPoint, from), FETCHED(GeoPoint, to));
        QFETCH(double, bearing);
        QFETCH(double, km);
        QCOMPARE(near(path.bearing, bearing, 0.5), bearing);
        QCOMPARE(near(path.distanceKm, km, km / 100), km);
    }

    void longPaths_data() {
        table<double, double, double, double>({"shortBearing", "longBearing", "shortKm", "longKm"}, {
            {"north", 0, 180, 0, GreatCircleKm},
            {"west", 270, 90, GreatCircleKm, 0},
            {"just under south", std::nextafter(180., 0.), 0, -0.001, Nan},
            {"two turns and more", 720.25, 180.25, GreatCircleKm + 0.001, Nan},
            {"negative", -90, 90, Nan, Nan},
            {"infinite", qInf(), Nan, qInf(), Nan},
        });
    }
    void longPaths() {
        QFETCH(double, longBearing);
        QFETCH(double, longKm);
        QCOMPARE(near(longPathBearing(FETCHED(double, shortBearing)), longBearing, 1e-9),
                 longBearing);
        QCOMPARE(near(longPathDistanceKm(FETCHED(double, shortKm)), longKm, 1e-9), longKm);
    }

    // Read, then written again.
    void stationTexts_data() {
        table<QString, QString>({"text", "written"}, {
            {"south-west", "-33.87,-70.67", "-33.870000,-70.670000"},
            {"rounded to nothing", "-0.0000004,-0.000000001", "0.000000,0.000000"},
            {"limits", "-90,180", "-90.000000,180.000000"},
            {"past 90", "90.000001,0", "none"},
            {"past -180", "0,-180.000001", "none"},
            {"empty", "", "none"},
            {"three numbers", "35.68,139.77,0", "none"},
            {"plus", "+35.68,1", "none"},
            {"exponent", "1e1,0", "none"},
            {"point last", "35.,1", "none"},
            {"point first", ".5,1", "none"},
        });
    }
    void stationTexts() {
        const std::optional<GeoPoint> station = parseStationText(FETCHED(QString, text));
        QCOMPARE(station ? stationText(*station) : "none", FETCHED(QString, written));
    }
};
// clang-format on

QTEST_MAIN(LocatorTest)
#include "test_locator.moc"

// Locators, great circles and the station text of a map.
#include "rules/Locator.h"

#include <QtTest>

#include <cmath>

using namespace roteka;

Q_DECLARE_METATYPE(roteka::GeoPoint)

namespace {

QString shown(std::optional<GeoPoint> p) {
    return p ? QString::number(p->lat, 'f', 6) + ',' + QString::number(p->lon, 'f', 6) : "none";
}

// The expected value when the actual one lies within the tolerance, else the actual one, so that
// QCOMPARE shows both when they differ.
double near(double actual, double expected, double tolerance) {
    return std::fabs(actual - expected) <= tolerance || (std::isnan(actual) && std::isnan(expected))
               ? expected
               : actual;
}

const char* problemName(LocatorProblem p) {
    constexpr const char* names[] = {"none", "length", "field", "square", "subsquare", "extended"};
    return names[int(p)];
}

} // namespace

class LocatorTest : public QObject {
    Q_OBJECT
private slots:
    void locatorProblems_data() {
        QTest::addColumn<QString>("locator");
        QTest::addColumn<QString>("problem");
        // clang-format off
        for (const char* good : {"IO91", "io91wm", "iO91Wm48", "AA00aa00", "RR99XX99", " IO91wm\t"})
            QTest::newRow(good) << good << "none";
        for (const char* length : {"", "  ", "I", "IO9", "IO91w", "IO91wm4", "IO91wm481", "IO91wm48xx", "IO9 "})
            QTest::newRow(length) << length << "length";
        QTest::newRow("ideographic space around") << "\u3000PM95vq\u3000" << "none";
        QTest::newRow("S: past R") << "S" << "field";
        QTest::newRow("IS00") << "IS00" << "field";
        QTest::newRow("@A00: before A") << "@A00" << "field";
        QTest::newRow("s0: lower case past r") << "s0" << "field";
        QTest::newRow("9O91") << "9O91" << "field";
        QTest::newRow("full-width letters") << "ＩＯ91" << "field";
        QTest::newRow("IO 1: a blank inside") << "IO 1" << "square";
        QTest::newRow("IO/1: before 0") << "IO/1" << "square";
        QTest::newRow("IO9:: past 9") << "IO9:" << "square";
        QTest::newRow("IO91yx: past X") << "IO91yx" << "subsquare";
        QTest::newRow("IO91w1") << "IO91w1" << "subsquare";
        QTest::newRow("IO91 wm") << "IO91 wm" << "subsquare";
        QTest::newRow("IO91wm4x") << "IO91wm4x" << "extended";
        QTest::newRow("IO91wmx8") << "IO91wmx8" << "extended";
        // clang-format on
    }
    void locatorProblems() {
        QFETCH(QString, locator);
        QFETCH(QString, problem);
        QCOMPARE(problemName(locatorProblem(locator)), problem);
    }

    void locatorCentres_data() {
        QTest::addColumn<QString>("locator");
        QTest::addColumn<QString>("centre");
        // clang-format off
        QTest::newRow("JJ00") << "JJ00" << "0.500000,1.000000";
        QTest::newRow("AA00: south-west corner") << "AA00" << "-89.500000,-179.000000";
        QTest::newRow("RR99: north-east corner") << "RR99" << "89.500000,179.000000";
        QTest::newRow("IO91wm") << "IO91wm" << "51.520833,-0.125000";
        QTest::newRow("io91WM, blanks around") << " io91WM " << "51.520833,-0.125000";
        QTest::newRow("PM95vq") << "PM95vq" << "35.687500,139.791667";
        QTest::newRow("IO91wm48") << "IO91wm48" << "51.535417,-0.129167";
        QTest::newRow("JJ00aa00") << "JJ00aa00" << "0.002083,0.004167";
        QTest::newRow("RR99xx99") << "RR99xx99" << "89.997917,179.995833";
        QTest::newRow("IO9") << "IO9" << "none";
        QTest::newRow("IO91yz") << "IO91yz" << "none";
        // clang-format on
    }
    void locatorCentres() {
        QFETCH(QString, locator);
        QFETCH(QString, centre);
        QCOMPARE(shown(locatorCentre(locator)), centre);
    }

    // Published values, measured on other spheres, hold to 0.5 degree and 1 %:
    // LAX-JFK: E. Williams, "Aviation Formulary", worked example (course 66, 2144 nm).
    // Valparaiso-Shanghai: Wikipedia, "Great-circle navigation", the course example
    //   (initial course -94.41, final -78.42, 18743 km).
    // Valparaiso-San Francisco: NavList, "Barrie Hudson Challenge", Nov 2002 (321.9, 5117.9 nm).
    void greatCircles_data() {
        QTest::addColumn<GeoPoint>("from");
        QTest::addColumn<GeoPoint>("to");
        QTest::addColumn<double>("bearing");
        QTest::addColumn<double>("km");
        const double nan = qQNaN(), half = GreatCircleKm / 2, degree = GreatCircleKm / 360;
        const GeoPoint lax{33.95, -118.4}, jfk{40 + 38 / 60., -73 - 47 / 60.}, london{51.5, -0.13};
        const GeoPoint valparaiso{-33, -71.6}, shanghai{31.4, 121.8};
        const GeoPoint offValparaiso{-33 - 1 / 60., -72 - 10 / 60.},
            offSf{37 + 50 / 60., -123 - 14 / 60.};
        // clang-format off
        QTest::newRow("LAX-JFK") << lax << jfk << 66. << 3970.7;
        QTest::newRow("Valparaiso-Shanghai") << valparaiso << shanghai << 265.59 << 18743.;
        QTest::newRow("Shanghai-Valparaiso") << shanghai << valparaiso << 101.58 << 18743.;
        QTest::newRow("Valparaiso-San Francisco") << offValparaiso << offSf << 321.94 << 9478.4;
        QTest::newRow("same place") << london << london << 0. << 0.;
        QTest::newRow("same place, 180 and -180") << GeoPoint{10, 180} << GeoPoint{10, -180} << 0. << 0.;
        QTest::newRow("same pole, other longitudes") << GeoPoint{90, 0} << GeoPoint{90, 123} << 0. << 0.;
        QTest::newRow("east over the date line") << GeoPoint{0, 179} << GeoPoint{0, -179} << 90. << 2 * degree;
        QTest::newRow("west over the date line") << GeoPoint{0, -179} << GeoPoint{0, 179} << 270. << 2 * degree;
        QTest::newRow("antipodes JJ00-AI09") << GeoPoint{0.5, 1} << GeoPoint{-0.5, -179} << 0. << half;
        QTest::newRow("antipodes on the equator") << GeoPoint{0, -90} << GeoPoint{0, 90} << 0. << half;
        QTest::newRow("antipode, longitude 540") << GeoPoint{0, 0} << GeoPoint{0, 540} << 0. << half;
        QTest::newRow("from the North Pole") << GeoPoint{90, 40} << london << 180. << 38.5 * degree;
        QTest::newRow("North Pole to South Pole") << GeoPoint{90, 0} << GeoPoint{-90, 0} << 180. << half;
        QTest::newRow("from the South Pole") << GeoPoint{-90, 0} << london << 0. << 141.5 * degree;
        QTest::newRow("to the North Pole") << london << GeoPoint{90, 77} << 0. << 38.5 * degree;
        QTest::newRow("to the South Pole") << london << GeoPoint{-90, 77} << 180. << 141.5 * degree;
        QTest::newRow("a hair west of north") << GeoPoint{0, 0} << GeoPoint{10, -1e-15} << 0. << 10 * degree;
        QTest::newRow("latitude past 90") << GeoPoint{90.000001, 0} << london << nan << nan;
        QTest::newRow("longitude not a number") << london << GeoPoint{0, nan} << nan << nan;
        QTest::newRow("infinite longitude") << GeoPoint{0, qInf()} << london << nan << nan;
        // clang-format on
    }
    void greatCircles() {
        QFETCH(GeoPoint, from);
        QFETCH(GeoPoint, to);
        QFETCH(double, bearing);
        QFETCH(double, km);
        const GreatCircle path = greatCircle(from, to);
        QCOMPARE(near(path.bearing, bearing, 0.5), bearing);
        QCOMPARE(near(path.distanceKm, km, km / 100), km);
        QVERIFY(std::isnan(bearing) || (path.bearing >= 0 && path.bearing < 360));
    }

    void longPaths_data() {
        QTest::addColumn<double>("shortBearing");
        QTest::addColumn<double>("longBearing");
        QTest::addColumn<double>("shortKm");
        QTest::addColumn<double>("longKm");
        const double nan = qQNaN();
        // clang-format off
        QTest::newRow("north") << 0. << 180. << 0. << GreatCircleKm;
        QTest::newRow("south") << 180. << 0. << GreatCircleKm / 2 << GreatCircleKm / 2;
        QTest::newRow("just under south") << std::nextafter(180., 0.) << 0. << 1. << GreatCircleKm - 1;
        QTest::newRow("just past south") << 180.5 << 0.5 << 10000. << GreatCircleKm - 10000;
        QTest::newRow("west") << 270. << 90. << GreatCircleKm << 0.;
        QTest::newRow("a full turn") << 360. << 180. << -0.001 << nan;
        QTest::newRow("two turns and more") << 720.25 << 180.25 << GreatCircleKm + 0.001 << nan;
        QTest::newRow("negative") << -90. << 90. << nan << nan;
        QTest::newRow("infinite") << qInf() << nan << qInf() << nan;
        // clang-format on
    }
    void longPaths() {
        QFETCH(double, shortBearing);
        QFETCH(double, longBearing);
        QFETCH(double, shortKm);
        QFETCH(double, longKm);
        QCOMPARE(near(longPathBearing(shortBearing), longBearing, 1e-9), longBearing);
        QCOMPARE(near(longPathDistanceKm(shortKm), longKm, 1e-9), longKm);
    }

    void stationTexts_data() {
        QTest::addColumn<GeoPoint>("station");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("Tokyo") << GeoPoint{35.68, 139.77} << "35.680000,139.770000";
        QTest::newRow("south-west") << GeoPoint{-33.87, -70.67} << "-33.870000,-70.670000";
        QTest::newRow("rounded to nothing") << GeoPoint{-4e-7, -1e-9} << "0.000000,0.000000";
        QTest::newRow("rounded to a millionth") << GeoPoint{-6e-7, 51.5208333} << "-0.000001,51.520833";
        QTest::newRow("corner") << GeoPoint{-90, 180} << "-90.000000,180.000000";
        // clang-format on
    }
    void stationTexts() {
        QFETCH(GeoPoint, station);
        QFETCH(QString, text);
        QCOMPARE(stationText(station), text);
    }

    void parsedStationTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("station");
        // clang-format off
        QTest::newRow("Tokyo") << "35.680000,139.770000" << "35.680000,139.770000";
        QTest::newRow("whole numbers at the limits") << "-90,180" << "-90.000000,180.000000";
        QTest::newRow("leading zeros") << "-000000000000000000000000033.5,0" << "-33.500000,0.000000";
        for (const char* bad : {"90.000001,0", "-90.000001,0", "0,180.000001", "0,-180.000001", "", ",", "35.68",
                                "35.68,139.77,0", " 35.68,139.77", "35.68, 139.77", "35.68,139.77\n", "+35.68,1",
                                "1e1,0", "nan,0", "0,inf", "35.,1", ".5,1", "35.68;139.77", "３５,1", "--1,0", "0,-",
                                "35,68,139,77"})
            QTest::newRow(bad) << bad << "none";
        QTest::newRow("1 and 400 zeros") << "1" + QString(400, '0') + ",0" << "none";
        // clang-format on
    }
    void parsedStationTexts() {
        QFETCH(QString, text);
        QFETCH(QString, station);
        QCOMPARE(shown(parseStationText(text)), station);
    }
};

QTEST_MAIN(LocatorTest)
#include "test_locator.moc"

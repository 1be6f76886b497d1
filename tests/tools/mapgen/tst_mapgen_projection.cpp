#include "mapgen/projection.h"
#include "testgeo.h"

#include <QTest>

#include <cmath>

using roteka::mapgen::AzimuthalEquidistant;
using roteka::mapgen::GeoPoint;
using roteka::mapgen::kAntipodeDistanceKm;

Q_DECLARE_METATYPE(GeoPoint)

namespace {

constexpr double kRadius = 97.0;
const QPointF kCentre(100.0, 100.0);

AzimuthalEquidistant projectionFor(GeoPoint station) {
    return AzimuthalEquidistant(station, kCentre, kRadius);
}

double distanceFromCentre(QPointF p) {
    return std::hypot(p.x() - kCentre.x(), p.y() - kCentre.y());
}

struct Station {
    const char* name;
    GeoPoint where;
};

const Station kStations[] = {
    {"Tokyo", {35.68, 139.77}},        {"Sydney", {-33.87, 151.21}},
    {"London", {51.51, -0.13}},        {"lon 179.9", {10.0, 179.9}},
    {"lon -179.9", {-45.0, -179.9}},   {"null island", {0.0, 0.0}},
    {"near north pole", {89.5, 20.0}}, {"near south pole", {-89.0, -60.0}},
};

} // namespace

// Responsibilities: checks that the map projection puts the station, the poles, the antipode
// and points at known bearings and distances where an operator expects them.
class TestProjection : public QObject {
    Q_OBJECT

private slots:
    void stationIsCentrePixel_data() {
        QTest::addColumn<GeoPoint>("station");
        for (const Station& s : kStations) {
            QTest::newRow(s.name) << s.where;
        }
        QTest::newRow("north pole") << GeoPoint{90.0, 0.0};
        QTest::newRow("south pole") << GeoPoint{-90.0, 45.0};
        QTest::newRow("lon 180") << GeoPoint{12.0, 180.0};
    }
    void stationIsCentrePixel() {
        QFETCH(GeoPoint, station);
        const QPointF p = projectionFor(station).project(station);
        QVERIFY2(std::abs(p.x() - 100.0) < 1e-9 && std::abs(p.y() - 100.0) < 1e-9,
                 qPrintable(QStringLiteral("%1, %2").arg(p.x()).arg(p.y())));
    }

    void polesStraightUpAndDown_data() {
        QTest::addColumn<GeoPoint>("station");
        for (const Station& s : kStations) {
            QTest::newRow(s.name) << s.where;
        }
    }
    void polesStraightUpAndDown() {
        QFETCH(GeoPoint, station);
        const AzimuthalEquidistant projection = projectionFor(station);
        for (double lon : {-180.0, -73.0, 0.0, 95.5, 180.0}) {
            const QPointF north = projection.project({90.0, lon});
            QVERIFY(std::abs(north.x() - kCentre.x()) < 0.5);
            QVERIFY(north.y() < kCentre.y());
            QCOMPARE_LT(
                std::abs(distanceFromCentre(north) - (90.0 - station.lat) / 180.0 * kRadius), 1e-6);
            const QPointF south = projection.project({-90.0, lon});
            QVERIFY(std::abs(south.x() - kCentre.x()) < 0.5);
            QVERIFY(south.y() > kCentre.y());
        }
    }

    void bearingAndDistance_data() {
        QTest::addColumn<GeoPoint>("station");
        QTest::addColumn<double>("bearing");
        QTest::addColumn<double>("distanceKm");
        const double cases[][2] = {{0, 1000},    {45, 5000},   {90, 3000},   {135, 8000},
                                   {180, 10000}, {225, 15000}, {270, 19000}, {315, 500},
                                   {90, 10000},  {300, 19900}};
        for (const Station& s : kStations) {
            for (const auto& c : cases) {
                QTest::addRow("%s %g deg %g km", s.name, c[0], c[1]) << s.where << c[0] << c[1];
            }
        }
    }
    void bearingAndDistance() {
        QFETCH(GeoPoint, station);
        QFETCH(double, bearing);
        QFETCH(double, distanceKm);
        const GeoPoint target = testgeo::destination(station, bearing, distanceKm);
        const QPointF p = projectionFor(station).project(target);
        const double r = distanceKm / kAntipodeDistanceKm * kRadius;
        const double az = testgeo::degToRad(bearing);
        const QPointF expected(kCentre.x() + r * std::sin(az), kCentre.y() - r * std::cos(az));
        QVERIFY2(std::hypot(p.x() - expected.x(), p.y() - expected.y()) < 1e-3,
                 qPrintable(QStringLiteral("got %1,%2 expected %3,%4")
                                .arg(p.x())
                                .arg(p.y())
                                .arg(expected.x())
                                .arg(expected.y())));
        const double dx = p.x() - kCentre.x();
        const double dy = p.y() - kCentre.y();
        if (bearing == 90.0) {
            QVERIFY(dx > 0.0 && std::abs(dy) < 0.5);
        }
        if (bearing == 45.0) {
            QVERIFY(dx > 0.0 && dy < 0.0);
            QCOMPARE_LT(std::abs(dx + dy), 1e-3);
        }
        if (distanceKm == 10000.0) {
            QCOMPARE_LT(std::abs(distanceFromCentre(p) - kRadius / 2.0), 0.1);
        }
    }

    void bearingsRunClockwise() {
        const AzimuthalEquidistant projection = projectionFor({35.68, 139.77});
        double previousAngle = -1.0;
        for (int bearing = 0; bearing < 360; bearing += 15) {
            const QPointF p =
                projection.project(testgeo::destination({35.68, 139.77}, bearing, 4000));
            double screenAngle = std::atan2(p.x() - kCentre.x(), kCentre.y() - p.y());
            if (screenAngle < 0) {
                screenAngle += 2 * roteka::mapgen::kPi;
            }
            QVERIFY2(screenAngle > previousAngle, qPrintable(QString::number(bearing)));
            previousAngle = screenAngle;
        }
    }

    void antipodeOnRim_data() { polesStraightUpAndDown_data(); }
    void antipodeOnRim() {
        QFETCH(GeoPoint, station);
        const AzimuthalEquidistant projection = projectionFor(station);
        const QPointF rim = projection.project(testgeo::antipode(station));
        QVERIFY(std::isfinite(rim.x()) && std::isfinite(rim.y()));
        QCOMPARE_LT(std::abs(distanceFromCentre(rim) - kRadius), 1e-6);
        const QPointF inside =
            projection.project(testgeo::destination(station, 200.0, kAntipodeDistanceKm - 50.0));
        QCOMPARE_LT(distanceFromCentre(inside), kRadius);
        QCOMPARE_GT(distanceFromCentre(inside), kRadius - 0.5);
    }

    void shorterRangeScalesOut() {
        const GeoPoint tokyo{35.68, 139.77};
        const AzimuthalEquidistant regional(tokyo, kCentre, kRadius, 2000.0);
        const QPointF p = regional.project(testgeo::destination(tokyo, 90.0, 1000.0));
        QCOMPARE_LT(std::abs(p.x() - (kCentre.x() + kRadius / 2.0)), 1e-3);
        QCOMPARE_LT(std::abs(p.y() - kCentre.y()), 1e-3);
    }
};

QTEST_APPLESS_MAIN(TestProjection)
#include "tst_mapgen_projection.moc"

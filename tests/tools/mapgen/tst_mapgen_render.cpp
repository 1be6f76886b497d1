#include "mapgen/icon.h"
#include "mapgen/maprenderer.h"
#include "mapgen/projection.h"
#include "mapgen/topojson.h"
#include "testgeo.h"

#include <QGuiApplication>
#include <QTest>

#include <cmath>
#include <limits>

using roteka::mapgen::AzimuthalEquidistant;
using roteka::mapgen::GeoPoint;
using roteka::mapgen::IconPainter;
using roteka::mapgen::kAntipodeDistanceKm;
using roteka::mapgen::MapOptions;
using roteka::mapgen::MapRenderer;
using roteka::mapgen::Polygon;
using roteka::mapgen::TopoJsonDecoder;

Q_DECLARE_METATYPE(MapOptions)

namespace {

const std::vector<Polygon>& land() {
    static const std::vector<Polygon> polygons =
        TopoJsonDecoder::decodeFile(QStringLiteral(ROTEKA_LAND_DATA), QStringLiteral("land"))
            .polygons;
    return polygons;
}

int countPixels(const QImage& image, QRgb colour, QRect area) {
    int n = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

bool hasNear(const QImage& image, QPoint p, QRgb colour) {
    return countPixels(image, colour, QRect(p - QPoint(1, 1), QSize(3, 3))) > 0;
}

int differingPixels(const QImage& a, const QImage& b, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return n;
}

double radiusOf(int x, int y) {
    return std::hypot(x - 100.0, y - 100.0);
}

bool inLegend(int x, int y) {
    return x < 70 && y > 172;
}

// The pixel a point at this bearing and radius falls on.
QPoint pixelAt(double bearingDeg, double radius) {
    const double az = testgeo::degToRad(bearingDeg);
    return {static_cast<int>(std::lround(100.0 + radius * std::sin(az))),
            static_cast<int>(std::lround(100.0 - radius * std::cos(az)))};
}

} // namespace

// Responsibilities: renders maps and icons in-process and checks what an operator sees:
// size, palette, coastlines, spokes, bearing numbers, legend, seam and antipode handling.
class TestRender : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!land().empty()); }

    void tokyoMap() {
        const MapOptions options{{35.68, 139.77}, kAntipodeDistanceKm, 5000.0};
        const QImage image = MapRenderer::render(land(), options);
        QCOMPARE(image.size(), QSize(200, 200));
        QVERIFY(!image.hasAlphaChannel());

        int white = 0;
        int black = 0;
        int grey = 0;
        int blue = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 200; ++x) {
                const QRgb c = image.pixel(x, y);
                white += c == MapRenderer::kGround;
                black += c == MapRenderer::kCoast;
                grey += c == MapRenderer::kRing;
                blue += c == MapRenderer::kBearingText;
                if (!inLegend(x, y) && c != MapRenderer::kGround) {
                    QVERIFY2(
                        radiusOf(x, y) < MapRenderer::kRadiusPx + 1.5,
                        qPrintable(QStringLiteral("ink outside the disc at %1,%2").arg(x).arg(y)));
                }
                if (radiusOf(x, y) < MapRenderer::kClearRadiusPx - 1.0) {
                    QVERIFY(c == MapRenderer::kGround || c == MapRenderer::kCoast);
                }
            }
        }
        QCOMPARE(white + black + grey + blue, 200 * 200);
        QCOMPARE_GT(white, 200 * 200 * 7 / 10);
        QCOMPARE_GT(black, 1500);
        QCOMPARE_GT(grey, 500);
        QCOMPARE_GT(countPixels(image, MapRenderer::kBearingText, QRect(94, 3, 13, 10)), 5);
        QCOMPARE_GT(countPixels(image, MapRenderer::kBearingText, QRect(185, 94, 13, 13)), 5);
        QCOMPARE(image.pixel(pixelAt(0.0, 40.0)), MapRenderer::kSpoke);
        QCOMPARE(image.pixel(pixelAt(90.0, 40.0)), MapRenderer::kSpoke);
        QCOMPARE(image.pixel(pixelAt(180.0, 60.0)), MapRenderer::kSpoke);
        QCOMPARE_GT(countPixels(image, MapRenderer::kLegendText, QRect(0, 175, 60, 25)), 60);
    }

    void rangeRingsFollowSpacing_data() {
        QTest::addColumn<double>("rangeKm");
        QTest::addColumn<double>("ringKm");
        QTest::addColumn<int>("rings");
        QTest::newRow("whole world, 5000 km") << kAntipodeDistanceKm << 5000.0 << 3;
        QTest::newRow("whole world, 2500 km") << kAntipodeDistanceKm << 2500.0 << 7;
        QTest::newRow("regional") << 3000.0 << 1000.0 << 2;
        QTest::newRow("ring wider than range") << 3000.0 << 5000.0 << 0;
    }
    void rangeRingsFollowSpacing() {
        QFETCH(double, rangeKm);
        QFETCH(double, ringKm);
        QFETCH(int, rings);
        const QImage image = MapRenderer::render({}, MapOptions{{0.0, 0.0}, rangeKm, ringKm});
        int found = 0;
        for (int k = 1; k * ringKm < rangeKm; ++k) {
            const double r = k * ringKm / rangeKm * MapRenderer::kRadiusPx;
            if (r < MapRenderer::kRadiusPx - 1.0) {
                QVERIFY(hasNear(image, pixelAt(15.0, r), MapRenderer::kRing));
                ++found;
            }
        }
        QCOMPARE(found, rings);
        QVERIFY(hasNear(image, pixelAt(15.0, MapRenderer::kRadiusPx), MapRenderer::kRing));
    }

    void lineThroughAntipodeIsCut() {
        const GeoPoint station{0.0, 0.0};
        const double nearRim = kAntipodeDistanceKm - 250.0;
        const Polygon crossing{{testgeo::destination(station, 15.0, nearRim),
                                testgeo::destination(station, 195.0, nearRim)}};
        const QImage image = MapRenderer::render({crossing}, MapOptions{station});
        int black = 0;
        for (double r = 12.0; r < 80.0; r += 1.0) {
            black += image.pixel(pixelAt(15.0, r)) == MapRenderer::kCoast;
            black += image.pixel(pixelAt(195.0, r)) == MapRenderer::kCoast;
        }
        QCOMPARE(black, 0);
        QCOMPARE_GT(countPixels(image, MapRenderer::kCoast, QRect(110, 0, 40, 30)), 0);
    }

    void antimeridianSeamNotDrawn() {
        const Polygon island{
            {{60.0, -180.0}, {60.0, -178.0}, {62.0, -178.0}, {62.0, 180.0}, {60.0, -180.0}}};
        const GeoPoint station{61.0, -179.0};
        const MapOptions options{station, 500.0, 100.0};
        const QImage image = MapRenderer::render({island}, options);
        const AzimuthalEquidistant projection(station, {100.0, 100.0}, MapRenderer::kRadiusPx,
                                              500.0);
        const QImage bare = MapRenderer::render({}, options);
        const int seamX = qRound(projection.project({61.0, 180.0}).x());
        const int eastX = qRound(projection.project({61.0, -178.0}).x());
        QVERIFY(seamX < 95 && eastX > 105);
        QCOMPARE(differingPixels(image, bare, QRect(seamX - 1, 82, 3, 37)), 0);
        QCOMPARE_GT(differingPixels(image, bare, QRect(eastX - 1, 82, 3, 37)), 25);
        QCOMPARE_GT(differingPixels(image, bare, QRect(seamX + 3, 75, eastX - seamX - 6, 8)), 8);
    }

    void regionalMapClipsAtRim() {
        const QImage image = MapRenderer::render(land(), MapOptions{{51.51, -0.13}, 2000.0, 500.0});
        int outside = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 200; ++x) {
                if (!inLegend(x, y) && radiusOf(x, y) > MapRenderer::kRadiusPx + 1.5 &&
                    image.pixel(x, y) != MapRenderer::kGround) {
                    ++outside;
                }
            }
        }
        QCOMPARE(outside, 0);
        QCOMPARE_GT(countPixels(image, MapRenderer::kCoast, image.rect()), 1500);
    }

    void legend_data() {
        QTest::addColumn<MapOptions>("options");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("Tokyo") << MapOptions{{35.68, 139.77}}
                               << QStringList{"5000km/ring", "R=20015km", "35.68N 139.77E"};
        QTest::newRow("Sydney") << MapOptions{{-33.87, 151.21}, 10000.0, 2500.0}
                                << QStringList{"2500km/ring", "R=10000km", "33.87S 151.21E"};
        QTest::newRow("west of Greenwich")
            << MapOptions{{51.5, -0.126}, 3000.0, 1000.0}
            << QStringList{"1000km/ring", "R=3000km", "51.50N 0.13W"};
    }
    void legend() {
        QFETCH(MapOptions, options);
        QFETCH(QStringList, lines);
        QCOMPARE(MapRenderer::legendLines(options), lines);
    }

    void validation_data() {
        QTest::addColumn<MapOptions>("options");
        QTest::addColumn<QString>("problem");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("Tokyo") << MapOptions{{35.68, 139.77}} << QString();
        QTest::newRow("pole, date line") << MapOptions{{-90.0, 180.0}, 100.0, 100.0} << QString();
        QTest::newRow("latitude 91") << MapOptions{{91.0, 0.0}} << "latitude";
        QTest::newRow("latitude NaN") << MapOptions{{nan, 0.0}} << "latitude";
        QTest::newRow("longitude -181") << MapOptions{{0.0, -181.0}} << "longitude";
        QTest::newRow("range too small") << MapOptions{{0.0, 0.0}, 50.0, 10.0} << "range";
        QTest::newRow("range past antipode") << MapOptions{{0.0, 0.0}, 25000.0} << "range";
        QTest::newRow("no ring spacing") << MapOptions{{0.0, 0.0}, 20000.0, 0.0} << "ring";
        QTest::newRow("too many rings") << MapOptions{{0.0, 0.0}, 20000.0, 100.0} << "ring";
    }
    void validation() {
        QFETCH(MapOptions, options);
        QFETCH(QString, problem);
        const QString got = MapRenderer::validate(options);
        if (problem.isEmpty()) {
            QVERIFY2(got.isEmpty(), qPrintable(got));
        } else {
            QVERIFY2(got.contains(problem), qPrintable(got));
        }
    }

    void icon_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QTest::addRow("%d px", size) << size;
        }
    }
    void icon() {
        QFETCH(int, size);
        const QImage image = IconPainter::render(size);
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
        int antenna = 0;
        int north = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = QColor::fromRgba(image.pixel(x, y));
                if (c.alpha() < 255) {
                    continue;
                }
                antenna += c.red() > 200 && c.green() > 160 && c.blue() < 100;
                north += c.red() > 150 && c.green() < 90 && c.blue() < 90;
            }
        }
        QCOMPARE_GT(antenna, size * size / 40);
        QCOMPARE_GT(north, 0);
    }
};

QTEST_MAIN(TestRender)
#include "tst_mapgen_render.moc"

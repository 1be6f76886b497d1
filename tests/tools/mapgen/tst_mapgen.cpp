#include "../../support/Tables.h"
#include "mapgen/maprenderer.h"

#include <QImageReader>

#include <cmath>

using namespace roteka::mapgen;
using namespace roteka::test;
using namespace Qt::StringLiterals;

// Where a point at this bearing and distance (px) from the station, the centre pixel, lies.
static QPointF pixelAt(double bearingDeg, double r) {
    return {100 + r * std::sin(degToRad(bearingDeg)), 100 - r * std::cos(degToRad(bearingDeg))};
}

// roteka-mapgen, or a copy, run in a directory: its exit code (-1: it crashed) and what it says.
static QString mapgen(const QString& args, const QString& program = ROTEKA_MAPGEN_PATH,
                      const QString& in = {}) {
    QProcess tool;
    tool.setWorkingDirectory(in);
    tool.start(program, args.split(' '));
    tool.waitForFinished();
    return QString::number(tool.exitStatus() ? -1 : tool.exitCode()) + ' ' + tool.readAll() +
           tool.readAllStandardError();
}

static QString stationEntry(const QString& png) {
    return QImageReader(png).text(roteka::StationTextKey);
}

// A TopoJSON file of land: the geometry's type and what follows it, and the arcs.
static QString writeLand(const QString& path,
                         const QByteArray& geometry = R"("Polygon","arcs":[[0]])",
                         const QByteArray& arcs = "[[0,0],[10,0],[10,10],[0,0]]") {
    QFile file(path);
    QDir().mkpath(QFileInfo(path).path());
    file.open(QIODevice::WriteOnly);
    file.write(R"({"type":"Topology","objects":{"land":{"type":)" + geometry + R"(}},"arcs":[)" +
               arcs + "]}");
    return path;
}

// Maps drawn in-process, and roteka-mapgen run as an operator runs it.
class TestMapgen : public QObject {
    Q_OBJECT

private slots:
    // An island at its bearing and distance from the station, the rings and the legend. Geometry:
    // station lat, lon; island lat, lon; bearing, distance, map range, rings (km).
    void placesAtTheirBearingAndDistance_data() {
        const double A = kAntipodeDistanceKm;
        // clang-format off
        table<QList<double>, QString>({"geometry", "position"}, {
            {"Sydney: Santiago", {-33.87, 151.21, -33.45, -70.67, 145.28, 11346.4, A, 4000}, "33.87S 151.21E"},
            {"Tokyo: Rio, near the rim", {35.68, 139.77, -22.91, -43.17, 12.10, 18567, A, 10000}, "35.68N 139.77E"},
            {"London: Madrid, regional", {51.51, -0.13, 40.42, -3.70, 193.93, 1263.2, 2000, 500}, "51.51N 0.13W"},
        });
        // clang-format on
    }
    void placesAtTheirBearingAndDistance() {
        const QList<double> g = FETCHED(QList<double>, geometry);
        const MapOptions options{{g[0], g[1]}, g[6], g[7]};
        // TopoJSON, quantized: a box of 4 x 4 units round the island, one arc of it reversed.
        const QString topology =
            R"({"type":"Topology","transform":{"scale":[%1,%1],"translate":[%2,%3]},
            "objects":{"land":{"type":"MultiPolygon","arcs":[[[0,-2]]]}},
            "arcs":[[[0,0],[4,0],[0,4]],[[0,0],[0,4],[4,0]]]})";
        const double unit = g[6] / 80000;
        const auto island = TopoJsonDecoder::decode(
            topology.arg(unit).arg(g[3] - 2 * unit).arg(g[2] - 2 * unit).toUtf8(), "land");
        const QImage map = MapRenderer::render(island.polygons, options),
                     bare = MapRenderer::render({}, options);
        double x = 0, y = 0, n = 0;
        for (int i = 0; i < 200 * 200; ++i) // the island: where the map differs from a bare one
            if (map.pixel(i % 200, i / 200) != bare.pixel(i % 200, i / 200))
                x += i % 200, y += i / 200, ++n;
        const QPointF place = pixelAt(g[4], g[5] / g[6] * 97);
        QVERIFY(n > 0 && std::hypot(x / n - place.x(), y / n - place.y()) < 1.0);
        for (double step = g[7] / g[6] * 97, r = step; r < 96; r += step) // the range rings
            QVERIFY(bare.pixel(pixelAt(15, r).toPoint()) == MapRenderer::kRing ||
                    bare.pixel(pixelAt(15, r + 0.5).toPoint()) == MapRenderer::kRing);
        QCOMPARE(MapRenderer::legendLines(options).join('|'),
                 u"%1km/ring|R=%2km|"_s.arg(g[7]).arg(qRound(g[6])) + FETCHED(QString, position));
    }

    // Arguments (OUT: an older map a failed run leaves), exit code and words, and the PNG's size
    // (0: the old one stays) and recorded station.
    void runsLikeAnOperator_data() {
        const auto data = [this](const QByteArray& geometry,
                                 const QByteArray& arcs = "[[0,0],[1,1]]") {
            const QString file = dir_.filePath(QString::number(qHash(geometry + arcs)));
            return "--lat 1 --lon 1 --data " + writeLand(file, geometry, arcs);
        };
        const QByteArray deep =
            QByteArray(R"("GeometryCollection","geometries":[{"type":)").repeated(40) + "null" +
            QByteArray("}]").repeated(40);
        // clang-format off
        table<QString, QString, int, QString>({"args", "said", "size", "station"}, {
            {"map", "--lat=-33.87 --lon=151.21 --range-km 2000 --ring-km 500", "0", 200, "-33.870000,151.210000"},
            {"locator map", "--locator pm95VQ", "0", 200, "35.687500,139.791667"},
            {"icon 16 px", "--icon 16", "0", 16, ""},
            {"icon 15 px", "--icon 15", "2 --icon needs a size from 16 to 1024", 0, ""},
            {"icon 1025 px", "--icon 1025", "2 --icon needs a size from 16 to 1024", 0, ""},
            {"latitude 95", "--lat 95 --lon 1", "2 latitude must be", 0, ""},
            {"locator past R", "--locator IS00", "2 'IS00'; its first two characters are letters from A to R", 0, ""},
            {"locator and latitude", "--locator IO91 --lat 1", "2 cannot be combined", 0, ""},
            {"missing data file", "--lat 1 --lon 1 --data OUT/none", "1 cannot read", 0, ""},
            {"unwritable output", "--icon 16 --out OUT/x.png", "1 cannot write", 0, ""},
            {"arc past the end", data(R"("Polygon","arcs":[[0,1]])"), "1 points past the 1 arcs", 0, ""},
            {"huge arc reference", data(R"("Polygon","arcs":[[1e300]])"), "1 not an integer", 0, ""},
            {"no land", data(R"("GeometryCollection","geometries":[])"), "1 holds no polygons", 0, ""},
            {"empty arc", data(R"("Polygon","arcs":[[0]])", "[]"), "1 arc 0 has no positions", 0, ""},
            {"longitude 190", data(R"("Polygon","arcs":[[0]])", "[[190,0],[0,0]]"), "1 outside -180..180", 0, ""},
            {"nested too deeply", data(deep), "1 nested too deeply", 0, ""},
        });
        // clang-format on
    }
    void runsLikeAnOperator() {
        const int size = FETCHED(int, size);
        const bool icon = size > 0 && size != 200; // a map is 200 px, opaque; an icon a round dial
        const QString expected = FETCHED(QString, said);
        QVERIFY(QImage(1, 1, QImage::Format_RGB32).save(out_));
        const QString said =
            mapgen("--out=" + out_ + ' ' + FETCHED(QString, args).replace("OUT", out_));
        QVERIFY2(said.startsWith(expected.left(2)) && said.contains(expected.mid(2)),
                 qPrintable(said));
        const QImage image(out_);
        QCOMPARE(image.size(), size ? QSize(size, size) : QSize(1, 1));
        QCOMPARE(image.hasAlphaChannel(), icon);
        QCOMPARE(stationEntry(out_), FETCHED(QString, station));
        if (icon) // clear in the corners
            QVERIFY(qAlpha(image.pixel(0, size - 1)) < qAlpha(image.pixel(size / 2, size / 2)));
    }

    // The built-in map records the station it is drawn for, Tokyo.
    void builtInMapRecordsItsStation() {
        QCOMPARE(stationEntry(ROTEKA_BUILTIN_MAP), "35.680000,139.770000");
        QCOMPARE(QImage(ROTEKA_BUILTIN_MAP).size(), QSize(200, 200));
    }

    // The coastlines are found beside the program (data/) or in ../share/roteka/, whatever the
    // current directory.
    void findsItsCoastlines_data() {
        // clang-format off
        table<QString, QString>({"land", "said"}, {
            {"installed", "share/roteka/land-110m.json", "0 "},
            {"beside the program", "bin/data/land-110m.json", "0 "},
            {"current directory only", "work/data/land-110m.json", "1 roteka-mapgen: cannot read ROOT/share/roteka/"},
        });
        // clang-format on
    }
    void findsItsCoastlines() {
        QTemporaryDir root;
        const QString program = root.filePath("bin/roteka-mapgen"), work = root.filePath("work");
        writeLand(root.filePath(FETCHED(QString, land)));
        QVERIFY(QDir().mkpath(root.filePath("bin")) && QDir().mkpath(work) &&
                QFile::copy(ROTEKA_MAPGEN_PATH, program));
        const QString said = mapgen("--lat 1 --lon 1 --out " + root.filePath("map.png"), program,
                                    work),
                      expected = FETCHED(QString, said).replace("ROOT", root.path());
        QCOMPARE(said.left(expected.size()), expected);
    }

    // Without --out the map goes where ROTEKA looks for it, $XDG_DATA_HOME/roteka/map.png, its
    // directory made as needed, and the tool says so.
    void writesTheStationMapByDefault() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
        const QString map = dir_.filePath("data/roteka/map.png");
        QCOMPARE(mapgen("--locator IO91wm"), "0 roteka-mapgen: wrote " + map +
                                                 "; ROTEKA shows this map from its next start.\n");
        QCOMPARE(stationEntry(map), "51.520833,-0.125000");
        QCOMPARE(QDir(dir_.filePath("data/roteka")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"map.png"});
    }

private:
    QTemporaryDir dir_;
    const QString out_ = dir_.filePath("out.png");
};

QTEST_MAIN(TestMapgen)
#include "tst_mapgen.moc"

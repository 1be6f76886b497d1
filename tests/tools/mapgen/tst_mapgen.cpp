#include "mapgen/maprenderer.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace roteka::mapgen;

// Where a point at this bearing and distance (px) from the station, the centre pixel, lies.
static QPointF pixelAt(double bearingDeg, double r) {
    return {100 + r * std::sin(degToRad(bearingDeg)), 100 - r * std::cos(degToRad(bearingDeg))};
}

// TopoJSON land; arcs along a box of 4 x 4 units at (lon, lat): 0 south, east; 1 west, north.
static std::vector<Polygon> land(double lon, double lat, double unit, const QString& g) {
    const QString t = R"({"type":"Topology","transform":{"scale":[%1,%1],"translate":[%2,%3]},
        "objects":{"land":%4},"arcs":[[[0,0],[4,0],[0,4]],[[0,0],[0,4],[4,0]]]})";
    return TopoJsonDecoder::decode(t.arg(unit).arg(lon).arg(lat).arg(g).toUtf8(), "land").polygons;
}

// A small TopoJSON file of land: one triangle.
static bool writeLand(const QString& path) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(R"({"type":"Topology","objects":{"land":{"type":"Polygon","arcs":[[0]]}},
               "arcs":[[[0,0],[10,0],[10,10],[0,0]]]})") > 0;
}

static QString stationEntry(const QString& png) {
    return QImageReader(png).text(roteka::StationTextKey);
}

// Maps drawn in-process, and roteka-mapgen run as an operator runs it.
class TestMapgen : public QObject {
    Q_OBJECT

private slots:
    void placesAtTheirBearingAndDistance() {
        // Station lat, lon; place lat, lon; its great-circle bearing (deg) and distance (km) on
        // a sphere of 6371 km; map range (km, 0: to the antipode); ring spacing (km).
        // clang-format off
        for (const auto& [g, legend] : std::initializer_list<std::pair<QList<double>, QString>>{
            // London: New York
            {{51.51, -0.13, 40.71, -74.01, 288.33, 5570.4, 0, 5000}, "5000km/ring|R=20015km|51.51N 0.13W"},
            // Tokyo: Sydney
            {{35.68, 139.77, -33.87, 151.21, 169.93, 7824.5, 0, 2500}, "2500km/ring|R=20015km|35.68N 139.77E"},
            // Sydney: Santiago over the date line
            {{-33.87, 151.21, -33.45, -70.67, 145.28, 11346.4, 0, 4000}, "4000km/ring|R=20015km|33.87S 151.21E"},
            // Tokyo: Rio de Janeiro near the rim
            {{35.68, 139.77, -22.91, -43.17, 12.10, 18567.0, 0, 10000}, "10000km/ring|R=20015km|35.68N 139.77E"},
            // London: Madrid on a regional map
            {{51.51, -0.13, 40.42, -3.70, 193.93, 1263.2, 2000, 500}, "500km/ring|R=2000km|51.51N 0.13W"},
        }) {
            // clang-format on
            const double range = g[6] > 0 ? g[6] : 20015.1; // the antipode, 20015 km away
            const MapOptions options{{g[0], g[1]}, g[6] > 0 ? g[6] : kAntipodeDistanceKm, g[7]};
            const double unit = range / 80000; // a box of 4 x 4 units round the place
            const auto island = land(g[3] - 2 * unit, g[2] - 2 * unit, unit,
                                     R"({"type":"MultiPolygon","arcs":[[[0,-2]]]})");
            const QImage map = MapRenderer::render(island, options),
                         bare = MapRenderer::render({}, options);
            double x = 0, y = 0, n = 0;
            for (int i = 0; i < 200 * 200; ++i) // the island: where the map differs from a bare one
                if (map.pixel(i % 200, i / 200) != bare.pixel(i % 200, i / 200))
                    x += i % 200, y += i / 200, ++n;
            const QPointF place = pixelAt(g[4], g[5] / range * 97);
            QVERIFY(n > 0 && std::hypot(x / n - place.x(), y / n - place.y()) < 1.0);
            for (double step = g[7] / range * 97, r = step; r < 96; r += step) // the range rings
                QVERIFY(bare.pixel(pixelAt(15, r).toPoint()) == MapRenderer::kRing ||
                        bare.pixel(pixelAt(15, r + 0.5).toPoint()) == MapRenderer::kRing);
            QCOMPARE(MapRenderer::legendLines(options).join('|'), legend);
        }
    }

    void runsLikeAnOperator_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // in what it prints
        QTest::addColumn<int>("size");        // of the PNG it writes, or 0: the old one stays
        QTest::addColumn<QString>("station"); // the station the PNG records
        const QString out = "--out=" + out_;
        const QStringList map{"--lat", "1", "--lon", "1", out};
        const auto data = [&](const QByteArray& land, const QByteArray& arcs = "[[0,0],[1,1]]") {
            QFile file(dir_.filePath(QString::number(qHash(land + arcs))));
            file.open(QIODevice::WriteOnly);
            file.write(R"({"type":"Topology","objects":{"land":)" + land + R"(},"arcs":[)" + arcs +
                       "]}");
            return QStringList(map) << "--data=" + file.fileName();
        };
        const auto row = [](const char* name, const QStringList& args, int exitCode,
                            const QString& message, int size = 0, const QString& station = {}) {
            QTest::newRow(name) << args << exitCode << message << size << station;
        };
        const QByteArray deep =
            QByteArray(R"({"type":"GeometryCollection","geometries":[)").repeated(40) + "null" +
            QByteArray("]}").repeated(40);
        // clang-format off
        row("land map", {"--lat=-33.87", "--lon=151.21", "--range-km", "2000", "--ring-km", "500", out}, 0, "", 200,
            "-33.870000,151.210000");
        row("locator map", {"--locator", " pm95VQ", out}, 0, "", 200, "35.687500,139.791667");
        for (const int size : {16, 22, 24, 32, 48, 64, 256})
            QTest::addRow("icon %d", size) << QStringList{"--icon", QString::number(size), out} << 0 << "" << size << "";
        row("latitude 95", {"--lat", "95", "--lon", "1", out}, 2, "latitude must be");
        row("malformed locator", {"--locator", "IO9", out}, 2, "--locator needs a Maidenhead locator");
        row("locator past R", {"--locator", "IS00", out}, 2, "not 'IS00'; its first two characters are letters from A to R");
        row("locator and latitude", {"--locator", "IO91", "--lat", "1", out}, 2, "cannot be combined");
        row("icon of 8 px", {"--icon", "8", out}, 2, "--icon needs a size from 16 to 1024");
        row("missing data file", QStringList(map) << "--data" << dir_.filePath("none"), 1, "cannot read");
        row("unwritable output", {"--icon", "16", "--out", out_ + "/x.png"}, 1, "cannot write");
        row("arc past the end", data(R"({"type":"Polygon","arcs":[[0,1]]})"), 1, "points past the 1 arcs");
        row("huge arc reference", data(R"({"type":"Polygon","arcs":[[1e300]]})"), 1, "not an integer");
        row("no land", data(R"({"type":"GeometryCollection","geometries":[]})"), 1, "holds no polygons");
        row("empty arc", data(R"({"type":"Polygon","arcs":[[0]]})", "[]"), 1, "arc 0 has no positions");
        row("longitude 190", data(R"({"type":"Polygon","arcs":[[0]]})", "[[190,0],[0,0]]"), 1, "outside -180..180");
        row("nested too deeply", data(deep), 1, "nested too deeply");
        // clang-format on
    }
    void runsLikeAnOperator() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(int, size);
        QFETCH(QString, station);
        QVERIFY(QImage(1, 1, QImage::Format_RGB32).save(out_)); // a map made before
        QProcess tool;
        tool.start(ROTEKA_MAPGEN_PATH, args);
        QVERIFY(tool.waitForFinished() && tool.exitStatus() == QProcess::NormalExit);
        const QString said = tool.readAllStandardOutput() + tool.readAllStandardError();
        QVERIFY2(tool.exitCode() == exitCode && said.contains(message), qPrintable(said));
        const QImage image(out_);
        QCOMPARE(image.size(), size ? QSize(size, size) : QSize(1, 1));
        QCOMPARE(image.hasAlphaChannel(), size > 0 && size != 200); // a map is 200 px, opaque
        QCOMPARE(stationEntry(out_), station);
        if (size > 0 && size != 200) // an icon is a round dial: clear in the corners
            QVERIFY(qAlpha(image.pixel(0, size - 1)) < qAlpha(image.pixel(size / 2, size / 2)));
    }

    // The built-in map records the station it is drawn for, Tokyo.
    void builtInMapRecordsItsStation() {
        QCOMPARE(stationEntry(ROTEKA_BUILTIN_MAP), "35.680000,139.770000");
        QCOMPARE(QImage(ROTEKA_BUILTIN_MAP).size(), QSize(200, 200));
    }

    // The coastlines are found from where the program is, whatever the current directory, with
    // no path of the source tree: in data/ beside it (Windows, the build tree) or in
    // ../share/roteka/ (an installation).
    void findsItsCoastlines_data() {
        QTest::addColumn<QString>("land"); // where they are, under a directory holding bin/
        QTest::addColumn<int>("exitCode");
        QTest::newRow("installed") << "share/roteka/land-110m.json" << 0;
        QTest::newRow("beside the program") << "bin/data/land-110m.json" << 0;
        QTest::newRow("in the current directory only") << "work/data/land-110m.json" << 1;
        QTest::newRow("nowhere: the installed place named") << "" << 1;
        QTest::newRow("one level off") << "share/land-110m.json" << 1;
    }
    void findsItsCoastlines() {
        QFETCH(QString, land);
        QFETCH(int, exitCode);
        QTemporaryDir root;
        const QString program = root.filePath("bin/roteka-mapgen");
        QVERIFY(QDir().mkpath(root.filePath("bin")) && QDir().mkpath(root.filePath("work")));
        QVERIFY(QFile::copy(ROTEKA_MAPGEN_PATH, program));
        QVERIFY(land.isEmpty() || writeLand(root.filePath(land)));
        QProcess tool;
        tool.setWorkingDirectory(root.filePath("work"));
        tool.start(program, {"--lat", "1", "--lon", "1", "--out", root.filePath("map.png")});
        QVERIFY(tool.waitForFinished() && tool.exitStatus() == QProcess::NormalExit);
        const QString said = tool.readAllStandardError();
        QVERIFY2(tool.exitCode() == exitCode, qPrintable(said));
        if (exitCode != 0)
            QVERIFY2(said.contains(root.filePath("share/roteka/land-110m.json")), qPrintable(said));
    }

    // Without --out the map goes where ROTEKA looks for it, $XDG_DATA_HOME/roteka/map.png, its
    // directory made as needed, and the tool says so; a failed run leaves it as it was.
    void writesTheStationMapByDefault() {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", dir_.filePath("data"));
        tool.setProcessEnvironment(environment);
        const QString map = dir_.filePath("data/roteka/map.png");
        tool.start(ROTEKA_MAPGEN_PATH, {"--locator", "IO91wm"});
        QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
        QCOMPARE(tool.readAllStandardOutput(),
                 "roteka-mapgen: wrote " + map.toUtf8() +
                     "; ROTEKA shows this map from its next start.\n");
        QFile written(map);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray before = written.readAll();
        QCOMPARE(QImage::fromData(before).size(), QSize(200, 200));
        for (const QStringList& failing : {QStringList{"--locator", "IO91wm", "--data", "none"},
                                           QStringList{"--locator", "XX00"}}) {
            tool.start(ROTEKA_MAPGEN_PATH, failing);
            QVERIFY(tool.waitForFinished() && tool.exitCode() > 0);
        }
        QFile after(map);
        QVERIFY(after.open(QIODevice::ReadOnly) && after.readAll() == before);
        QCOMPARE(QDir(dir_.filePath("data/roteka")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"map.png"});
    }

private:
    QTemporaryDir dir_;
    const QString out_ = dir_.filePath("out.png");
};

QTEST_MAIN(TestMapgen)
#include "tst_mapgen.moc"

#include "mapgen/topojson.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using roteka::mapgen::GeoPoint;
using roteka::mapgen::Polygon;
using roteka::mapgen::Ring;
using roteka::mapgen::TopoJsonDecoder;
using roteka::mapgen::TopoJsonResult;

namespace {

// "lon lat,lon lat;next ring|next polygon", rounded to 1e-6 degrees.
QString describe(const std::vector<Polygon>& polygons) {
    QStringList ps;
    for (const Polygon& polygon : polygons) {
        QStringList rs;
        for (const Ring& ring : polygon) {
            QStringList pts;
            for (const GeoPoint& p : ring) {
                pts << QStringLiteral("%1 %2")
                           .arg(std::round(p.lon * 1e6) / 1e6)
                           .arg(std::round(p.lat * 1e6) / 1e6);
            }
            rs << pts.join(QLatin1Char(','));
        }
        ps << rs.join(QLatin1Char(';'));
    }
    return ps.join(QLatin1Char('|'));
}

// Two quantised arcs forming a 2 x 1 degree box: arc 0 runs along the south and east edges,
// arc 1 back along the north and west edges; arc 2 is a closed triangle.
QByteArray topology(const QByteArray& land, const QByteArray& extraArcs = {}) {
    return R"({"type":"Topology",
               "transform":{"scale":[0.5,0.25],"translate":[-10,20]},
               "objects":{"land":)" +
           land + R"(},
               "arcs":[[[0,0],[4,0],[0,4]],
                       [[4,4],[-4,0],[0,-4]],
                       [[1,1],[1,0],[-1,1],[0,-1]])" +
           extraArcs + "]}";
}

} // namespace

// Responsibilities: checks TopoJSON decoding (quantisation, delta encoding, reversed arcs,
// nesting) and that malformed input is refused with a message rather than a crash.
class TestTopoJson : public QObject {
    Q_OBJECT

private slots:
    void decodes_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        const QString box = QStringLiteral("-10 20,-8 20,-8 21,-10 21,-10 20");
        const QString triangle = QStringLiteral("-9.5 20.25,-9 20.25,-9.5 20.5,-9.5 20.25");
        QTest::newRow("polygon from two arcs")
            << topology(R"({"type":"Polygon","arcs":[[0,1]]})") << box;
        QTest::newRow("reversed arcs") << topology(R"({"type":"Polygon","arcs":[[-2,-1]]})")
                                       << QStringLiteral("-10 20,-10 21,-8 21,-8 20,-10 20");
        QTest::newRow("reversed arc joined to a forward arc")
            << topology(R"({"type":"Polygon","arcs":[[1,0]]})")
            << QStringLiteral("-8 21,-10 21,-10 20,-8 20,-8 21");
        QTest::newRow("polygon with a hole")
            << topology(R"({"type":"Polygon","arcs":[[0,1],[2]]})") << box + ";" + triangle;
        QTest::newRow("multipolygon in a collection")
            << topology(R"({"type":"GeometryCollection","geometries":[
                   {"type":"MultiPolygon","arcs":[[[0,1]],[[-3]]]}]})")
            << box + "|" + QStringLiteral("-9.5 20.25,-9.5 20.5,-9 20.25,-9.5 20.25");
        QTest::newRow("nested collections, null and line geometries skipped")
            << topology(R"({"type":"GeometryCollection","geometries":[
                   {"type":null},
                   {"type":"LineString","arcs":[0]},
                   {"type":"GeometryCollection","geometries":[
                       {"type":"Polygon","arcs":[[2]]}]}]})")
            << triangle;
        QTest::newRow("empty ring dropped")
            << topology(R"({"type":"Polygon","arcs":[[],[2]]})") << triangle;
        QTest::newRow("without transform the positions are absolute")
            << QByteArray(R"({"type":"Topology","objects":{"land":
                   {"type":"Polygon","arcs":[[0]]}},
                   "arcs":[[[170,-5],[-170,-5],[-170,5],[170,5],[170,-5]]]})")
            << QStringLiteral("170 -5,-170 -5,-170 5,170 5,170 -5");
        QTest::newRow("full quantised range reaches 180")
            << QByteArray(R"({"type":"Topology",
                   "transform":{"scale":[0.0036000360003600037,0.0018000180001800018],
                                "translate":[-180,-90]},
                   "objects":{"land":{"type":"Polygon","arcs":[[0]]}},
                   "arcs":[[[0,0],[99999,0],[0,99999],[-99999,0],[0,-99999]]]})")
            << QStringLiteral("-180 -90,180 -90,180 90,-180 90,-180 -90");
    }
    void decodes() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        const TopoJsonResult result = TopoJsonDecoder::decode(json, QStringLiteral("land"));
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(describe(result.polygons), expected);
    }

    void rejects_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        const QByteArray polygon = R"({"type":"Polygon","arcs":[[0,1]]})";
        QTest::newRow("not JSON") << QByteArray("{\"type\": ") << "not valid JSON";
        QTest::newRow("array at top") << QByteArray("[1,2]") << "not a JSON object";
        QTest::newRow("GeoJSON instead")
            << QByteArray(R"({"type":"FeatureCollection","features":[]})")
            << "not a TopoJSON topology";
        QTest::newRow("no objects")
            << QByteArray(R"({"type":"Topology","arcs":[]})") << "\"objects\" is missing";
        QTest::newRow("object missing")
            << QByteArray(R"({"type":"Topology","objects":{"countries":{}},"arcs":[]})")
            << "no object \"land\" (the file has: countries)";
        QTest::newRow("arcs missing")
            << QByteArray(R"({"type":"Topology","objects":{"land":{"type":null}}})")
            << "\"arcs\" is not an array";
        QTest::newRow("arc past the end")
            << topology(R"({"type":"Polygon","arcs":[[0,3]]})") << "points past the 3 arcs";
        QTest::newRow("reversed arc past the end")
            << topology(R"({"type":"Polygon","arcs":[[-4]]})") << "arc reference -4 points past";
        QTest::newRow("fractional arc reference")
            << topology(R"({"type":"Polygon","arcs":[[0.5]]})") << "not an integer";
        QTest::newRow("huge arc reference")
            << topology(R"({"type":"Polygon","arcs":[[1e300]]})") << "not an integer";
        QTest::newRow("string arc reference")
            << topology(R"({"type":"Polygon","arcs":[["0"]]})") << "arc reference is not a number";
        QTest::newRow("ring not an array")
            << topology(R"({"type":"Polygon","arcs":[0]})") << "ring is not an array";
        QTest::newRow("position with one value")
            << topology(polygon, R"(,[[1,1],[2]])") << "arc 3 has a position with fewer";
        QTest::newRow("empty arc") << topology(polygon, ",[]") << "arc 3 has no positions";
        QTest::newRow("delta walks off the globe")
            << topology(polygon, R"(,[[0,0],[400,0],[400,0]])") << "arc 3 has a position outside";
        QTest::newRow("absolute longitude out of range")
            << QByteArray(R"({"type":"Topology","objects":{"land":{"type":"Polygon","arcs":[[0]]}},
                   "arcs":[[[190,0],[0,0]]]})")
            << "outside -180..180";
        QTest::newRow("latitude out of range")
            << QByteArray(R"({"type":"Topology","objects":{"land":{"type":"Polygon","arcs":[[0]]}},
                   "arcs":[[[10,95],[0,0]]]})")
            << "outside -180..180 / -90..90";
        QTest::newRow("transform with one scale value")
            << QByteArray(R"({"type":"Topology","transform":{"scale":[1],"translate":[0,0]},
                   "objects":{"land":{"type":null}},"arcs":[]})")
            << "need two values";
        QTest::newRow("unknown geometry type")
            << topology(R"({"type":"Circle","arcs":[]})") << "unknown geometry type \"Circle\"";
        QTest::newRow("geometry without type")
            << topology(R"({"arcs":[[0]]})") << "unknown geometry type \"\"";
        QByteArray deep = R"({"type":"Polygon","arcs":[[2]]})";
        for (int i = 0; i < 40; ++i) {
            deep = R"({"type":"GeometryCollection","geometries":[)" + deep + "]}";
        }
        QTest::newRow("collections nested too deeply") << topology(deep) << "nested too deeply";
    }
    void rejects() {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        const TopoJsonResult result = TopoJsonDecoder::decode(json, QStringLiteral("land"));
        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(message), qPrintable(result.error));
        QVERIFY(result.polygons.empty());
    }

    void fileErrorsNameTheFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString missing = dir.filePath(QStringLiteral("missing.json"));
        TopoJsonResult result = TopoJsonDecoder::decodeFile(missing, QStringLiteral("land"));
        QVERIFY(result.error.startsWith(QStringLiteral("cannot read ") + missing));

        const QString broken = dir.filePath(QStringLiteral("broken.json"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"type\":\"Topology\"");
        file.close();
        result = TopoJsonDecoder::decodeFile(broken, QStringLiteral("land"));
        QVERIFY(result.error.startsWith(broken + QStringLiteral(": not valid JSON")));
    }

    void realLandData() {
        const TopoJsonResult result =
            TopoJsonDecoder::decodeFile(QStringLiteral(ROTEKA_LAND_DATA), QStringLiteral("land"));
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE_GT(result.polygons.size(), size_t(100));
        double nearestToTokyo = 1e9;
        for (const Polygon& polygon : result.polygons) {
            QVERIFY(!polygon.empty());
            for (const Ring& ring : polygon) {
                QCOMPARE_GE(ring.size(), size_t(4));
                QCOMPARE(ring.front().lon, ring.back().lon);
                QCOMPARE(ring.front().lat, ring.back().lat);
                for (const GeoPoint& p : ring) {
                    QVERIFY(p.lon >= -180.0 && p.lon <= 180.0);
                    QVERIFY(p.lat >= -90.0 && p.lat <= 90.0);
                    nearestToTokyo =
                        std::min(nearestToTokyo, std::hypot(p.lon - 139.77, p.lat - 35.68));
                }
            }
        }
        QCOMPARE_LT(nearestToTokyo, 1.0);
    }
};

QTEST_APPLESS_MAIN(TestTopoJson)
#include "tst_mapgen_topojson.moc"

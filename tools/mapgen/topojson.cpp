#include "mapgen/topojson.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace roteka::mapgen {

namespace {

constexpr double kCoordinateSlack = 1e-6;
constexpr int kMaxNesting = 32;

class DecodeError : public std::runtime_error {
public:
    explicit DecodeError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct Transform {
    bool quantized = false;
    double scaleX = 1.0;
    double scaleY = 1.0;
    double translateX = 0.0;
    double translateY = 0.0;
};

double requireNumber(const QJsonValue& v, const QString& what) {
    if (!v.isDouble() || !std::isfinite(v.toDouble())) {
        throw DecodeError(QStringLiteral("%1 is not a number").arg(what));
    }
    return v.toDouble();
}

QJsonArray requireArray(const QJsonValue& v, const QString& what) {
    if (!v.isArray()) {
        throw DecodeError(QStringLiteral("%1 is not an array").arg(what));
    }
    return v.toArray();
}

Transform readTransform(const QJsonObject& root) {
    Transform t;
    const QJsonValue value = root.value(QStringLiteral("transform"));
    if (value.isUndefined() || value.isNull()) {
        return t;
    }
    if (!value.isObject()) {
        throw DecodeError(QStringLiteral("\"transform\" is not an object"));
    }
    const QJsonObject obj = value.toObject();
    const QJsonArray scale = requireArray(obj.value(QStringLiteral("scale")), "transform.scale");
    const QJsonArray translate =
        requireArray(obj.value(QStringLiteral("translate")), "transform.translate");
    if (scale.size() != 2 || translate.size() != 2) {
        throw DecodeError(
            QStringLiteral("transform.scale and transform.translate need two values"));
    }
    t.quantized = true;
    t.scaleX = requireNumber(scale[0], "transform.scale[0]");
    t.scaleY = requireNumber(scale[1], "transform.scale[1]");
    t.translateX = requireNumber(translate[0], "transform.translate[0]");
    t.translateY = requireNumber(translate[1], "transform.translate[1]");
    return t;
}

GeoPoint checkedPoint(double lon, double lat, qsizetype arcIndex) {
    if (std::abs(lon) > 180.0 + kCoordinateSlack || std::abs(lat) > 90.0 + kCoordinateSlack) {
        throw DecodeError(
            QStringLiteral("arc %1 has a position outside -180..180 / -90..90: %2, %3")
                .arg(arcIndex)
                .arg(lon)
                .arg(lat));
    }
    return {std::clamp(lat, -90.0, 90.0), std::clamp(lon, -180.0, 180.0)};
}

std::vector<Ring> decodeArcs(const QJsonObject& root, const Transform& t) {
    const QJsonArray arcs = requireArray(root.value(QStringLiteral("arcs")), "\"arcs\"");
    std::vector<Ring> result;
    result.reserve(static_cast<size_t>(arcs.size()));
    for (qsizetype i = 0; i < arcs.size(); ++i) {
        const QString what = QStringLiteral("arc %1").arg(i);
        const QJsonArray positions = requireArray(arcs[i], what);
        if (positions.isEmpty()) {
            throw DecodeError(QStringLiteral("%1 has no positions").arg(what));
        }
        Ring arc;
        arc.reserve(static_cast<size_t>(positions.size()));
        double x = 0.0;
        double y = 0.0;
        for (const QJsonValue& pv : positions) {
            const QJsonArray pos = requireArray(pv, what + QStringLiteral(" position"));
            if (pos.size() < 2) {
                throw DecodeError(
                    QStringLiteral("%1 has a position with fewer than two values").arg(what));
            }
            const double a = requireNumber(pos[0], what + QStringLiteral(" x"));
            const double b = requireNumber(pos[1], what + QStringLiteral(" y"));
            if (t.quantized) {
                x += a;
                y += b;
                arc.push_back(
                    checkedPoint(x * t.scaleX + t.translateX, y * t.scaleY + t.translateY, i));
            } else {
                arc.push_back(checkedPoint(a, b, i));
            }
        }
        result.push_back(std::move(arc));
    }
    return result;
}

class GeometryReader {
public:
    explicit GeometryReader(const std::vector<Ring>& arcs) : arcs_(arcs) {}

    void read(const QJsonValue& value, int depth) {
        if (depth > kMaxNesting) {
            throw DecodeError(QStringLiteral("geometry collections are nested too deeply"));
        }
        if (!value.isObject()) {
            throw DecodeError(QStringLiteral("a geometry is not an object"));
        }
        const QJsonObject g = value.toObject();
        const QJsonValue typeValue = g.value(QStringLiteral("type"));
        if (typeValue.isNull()) {
            return;
        }
        const QString type = typeValue.toString();
        const QJsonValue arcs = g.value(QStringLiteral("arcs"));
        if (type == QLatin1String("GeometryCollection")) {
            for (const QJsonValue& child :
                 requireArray(g.value(QStringLiteral("geometries")), "\"geometries\"")) {
                read(child, depth + 1);
            }
        } else if (type == QLatin1String("Polygon")) {
            polygons_.push_back(polygon(requireArray(arcs, "Polygon arcs")));
        } else if (type == QLatin1String("MultiPolygon")) {
            for (const QJsonValue& p : requireArray(arcs, "MultiPolygon arcs")) {
                polygons_.push_back(polygon(requireArray(p, "MultiPolygon part")));
            }
        } else if (type == QLatin1String("Point") || type == QLatin1String("MultiPoint") ||
                   type == QLatin1String("LineString") ||
                   type == QLatin1String("MultiLineString")) {
            return;
        } else {
            throw DecodeError(QStringLiteral("unknown geometry type \"%1\"").arg(type));
        }
    }

    std::vector<Polygon> take() { return std::move(polygons_); }

private:
    Polygon polygon(const QJsonArray& rings) const {
        Polygon result;
        for (const QJsonValue& r : rings) {
            Ring ring = stitch(requireArray(r, "ring"));
            if (!ring.empty()) {
                result.push_back(std::move(ring));
            }
        }
        return result;
    }

    Ring stitch(const QJsonArray& refs) const {
        Ring ring;
        for (const QJsonValue& refValue : refs) {
            const double raw = requireNumber(refValue, "arc reference");
            if (raw != std::floor(raw) || std::abs(raw) > 1e15) {
                throw DecodeError(QStringLiteral("arc reference %1 is not an integer").arg(raw));
            }
            const auto ref = static_cast<long long>(raw);
            const bool reversed = ref < 0;
            const long long index = reversed ? ~ref : ref;
            if (index >= static_cast<long long>(arcs_.size())) {
                throw DecodeError(QStringLiteral("arc reference %1 points past the %2 arcs")
                                      .arg(ref)
                                      .arg(arcs_.size()));
            }
            const Ring& arc = arcs_[static_cast<size_t>(index)];
            const bool skipFirst = !ring.empty();
            if (reversed) {
                auto it = arc.rbegin() + (skipFirst ? 1 : 0);
                ring.insert(ring.end(), it, arc.rend());
            } else {
                auto it = arc.begin() + (skipFirst ? 1 : 0);
                ring.insert(ring.end(), it, arc.end());
            }
        }
        return ring;
    }

    const std::vector<Ring>& arcs_;
    std::vector<Polygon> polygons_;
};

} // namespace

TopoJsonResult TopoJsonDecoder::decode(const QByteArray& json, const QString& objectName) {
    TopoJsonResult result;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) {
        result.error = QStringLiteral("not valid JSON: %1 at offset %2")
                           .arg(parseError.errorString())
                           .arg(parseError.offset);
        return result;
    }
    try {
        if (!doc.isObject()) {
            throw DecodeError(QStringLiteral("the top level is not a JSON object"));
        }
        const QJsonObject root = doc.object();
        if (root.value(QStringLiteral("type")).toString() != QLatin1String("Topology")) {
            throw DecodeError(QStringLiteral("not a TopoJSON topology (\"type\" is not "
                                             "\"Topology\")"));
        }
        const QJsonValue objectsValue = root.value(QStringLiteral("objects"));
        if (!objectsValue.isObject()) {
            throw DecodeError(QStringLiteral("\"objects\" is missing"));
        }
        const QJsonObject objects = objectsValue.toObject();
        if (!objects.contains(objectName)) {
            throw DecodeError(QStringLiteral("no object \"%1\" (the file has: %2)")
                                  .arg(objectName, objects.keys().join(QStringLiteral(", "))));
        }
        const std::vector<Ring> arcs = decodeArcs(root, readTransform(root));
        GeometryReader reader(arcs);
        reader.read(objects.value(objectName), 0);
        result.polygons = reader.take();
    } catch (const DecodeError& e) {
        result.polygons.clear();
        result.error = QString::fromStdString(e.what());
    }
    return result;
}

TopoJsonResult TopoJsonDecoder::decodeFile(const QString& path, const QString& objectName) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TopoJsonResult result;
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    TopoJsonResult result = decode(file.readAll(), objectName);
    if (!result.ok()) {
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    }
    return result;
}

} // namespace roteka::mapgen

#pragma once

#include "mapgen/geo.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace roteka::mapgen {

using Ring = std::vector<GeoPoint>;
using Polygon = std::vector<Ring>; // outer ring first, then holes

struct TopoJsonResult {
    std::vector<Polygon> polygons;
    QString error; // empty on success

    bool ok() const { return error.isEmpty(); }
};

// Responsibilities: turns one object of a TopoJSON topology into polygons of longitude/latitude
// rings. Undoes the quantisation and delta encoding of arcs, follows reversed arc references
// and rejects malformed or out-of-range input with a readable message instead of guessing.
class TopoJsonDecoder {
public:
    static TopoJsonResult decode(const QByteArray& json, const QString& objectName);
    static TopoJsonResult decodeFile(const QString& path, const QString& objectName);
};

} // namespace roteka::mapgen

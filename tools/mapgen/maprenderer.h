#pragma once

#include "mapgen/geo.h"
#include "mapgen/topojson.h"

#include <QImage>
#include <QRgb>
#include <QStringList>

#include <vector>

namespace roteka::mapgen {

struct MapOptions {
    GeoPoint station;
    double rangeKm = kAntipodeDistanceKm;
    double ringKm = 5000.0;
};

// Responsibilities: paints the station's azimuthal map: white ground, grey range rings, black
// bearing spokes every 30 degrees, black coastlines, blue bearing numbers at the rim and a
// legend in the lower-left corner. Painting is aliased so every pixel is one of the palette
// colours, and the image has no alpha channel.
class MapRenderer {
public:
    static constexpr int kSize = 200;
    static constexpr int kCentre = 100;
    static constexpr double kRadiusPx = 97.0;
    static constexpr double kClearRadiusPx = 8.0;
    static constexpr int kSpokeStepDeg = 30;
    static constexpr double kMinRangeKm = 100.0;
    static constexpr int kMaxRings = 40;

    static constexpr QRgb kGround = 0xffffffff;
    static constexpr QRgb kCoast = 0xff000000;
    static constexpr QRgb kSpoke = 0xff000000;
    static constexpr QRgb kRing = 0xffa0a0a0;
    static constexpr QRgb kBearingText = 0xff0000ff;
    static constexpr QRgb kLegendText = 0xff000000;

    // Empty when the options can be drawn, otherwise what is wrong with them.
    static QString validate(const MapOptions& options);
    static QStringList legendLines(const MapOptions& options);
    static QImage render(const std::vector<Polygon>& land, const MapOptions& options);
};

} // namespace roteka::mapgen

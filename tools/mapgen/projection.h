#pragma once

#include "mapgen/geo.h"

#include <QPointF>

namespace roteka::mapgen {

// Great-circle distance and initial bearing of a point as seen from the station.
struct PolarPosition {
    double distanceRad = 0.0; // 0 at the station, pi at the antipode
    double bearingRad = 0.0;  // clockwise from true north, in [0, 2*pi)
};

// Responsibilities: the azimuthal equidistant projection centred on the station, north up,
// bearings clockwise. A point's distance from the centre pixel is proportional to its
// great-circle distance; rangeKm lands on radiusPx. Coordinates are pixel indices: the
// centre point is the middle of the centre pixel.
class AzimuthalEquidistant {
public:
    AzimuthalEquidistant(GeoPoint station, QPointF centre, double radiusPx,
                         double rangeKm = kAntipodeDistanceKm);

    PolarPosition polar(GeoPoint p) const;
    QPointF project(GeoPoint p) const;
    QPointF fromPolar(double distanceKm, double bearingRad) const;

    GeoPoint station() const { return station_; }
    QPointF centre() const { return centre_; }
    double radiusPx() const { return radiusPx_; }
    double rangeKm() const { return rangeKm_; }
    double pixelsPerKm() const { return radiusPx_ / rangeKm_; }

private:
    GeoPoint station_;
    QPointF centre_;
    double radiusPx_;
    double rangeKm_;
    double sinLat0_;
    double cosLat0_;
};

} // namespace roteka::mapgen

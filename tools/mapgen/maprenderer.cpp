#include "mapgen/maprenderer.h"

#include "mapgen/projection.h"

#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>

#include <array>
#include <cmath>

namespace roteka::mapgen {

namespace {

constexpr int kFontPixelSize = 7;
constexpr double kSeamLon = 180.0 - 1e-9;

using Vec3 = std::array<double, 3>;

Vec3 toVector(GeoPoint p) {
    const double lat = degToRad(p.lat);
    const double lon = degToRad(p.lon);
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

GeoPoint toGeo(const Vec3& v) {
    const double norm = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {radToDeg(std::asin(std::clamp(v[2] / norm, -1.0, 1.0))),
            radToDeg(std::atan2(v[1], v[0]))};
}

double angleBetween(const Vec3& a, const Vec3& b) {
    const Vec3 c{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    return std::atan2(std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]),
                      a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
}

QFont mapFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kFontPixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// Draws coastline rings as polylines, cutting them where they run along the antimeridian
// seam of the source data, leave the drawn range, or jump across the disc near the antipode.
class CoastTracer {
public:
    CoastTracer(QPainter& painter, const AzimuthalEquidistant& projection)
        : painter_(painter), projection_(projection),
          stepRad_(std::min(degToRad(1.0),
                            projection.rangeKm() / projection.radiusPx() / kEarthRadiusKm)),
          maxJumpPx_(projection.radiusPx() / 4.0) {}

    void traceRing(const Ring& ring) {
        if (ring.size() < 2) {
            return;
        }
        add(ring.front());
        for (size_t i = 1; i < ring.size(); ++i) {
            segment(ring[i - 1], ring[i]);
        }
        const GeoPoint& first = ring.front();
        const GeoPoint& last = ring.back();
        if (first.lat != last.lat || first.lon != last.lon) {
            segment(last, first);
        }
        flush();
    }

private:
    void segment(GeoPoint a, GeoPoint b) {
        if (std::abs(a.lon) >= kSeamLon && std::abs(b.lon) >= kSeamLon) {
            flush();
            add(b);
            return;
        }
        const Vec3 va = toVector(a);
        const Vec3 vb = toVector(b);
        const double omega = angleBetween(va, vb);
        if (omega > kPi - 1e-6) {
            flush();
            add(b);
            return;
        }
        const int steps = std::max(1, static_cast<int>(std::ceil(omega / stepRad_)));
        const double sinOmega = std::sin(omega);
        for (int k = 1; k < steps; ++k) {
            const double t = static_cast<double>(k) / steps;
            const double wa = std::sin((1.0 - t) * omega) / sinOmega;
            const double wb = std::sin(t * omega) / sinOmega;
            add(toGeo({wa * va[0] + wb * vb[0], wa * va[1] + wb * vb[1], wa * va[2] + wb * vb[2]}));
        }
        add(b);
    }

    void add(GeoPoint p) {
        const PolarPosition polar = projection_.polar(p);
        if (polar.distanceRad * kEarthRadiusKm > projection_.rangeKm() * (1.0 + 1e-9)) {
            flush();
            return;
        }
        const QPointF xy =
            projection_.fromPolar(polar.distanceRad * kEarthRadiusKm, polar.bearingRad);
        if (!line_.isEmpty()) {
            const QPointF d = xy - line_.back();
            if (std::hypot(d.x(), d.y()) > maxJumpPx_) {
                flush();
            }
        }
        line_.append(xy);
    }

    void flush() {
        if (line_.size() >= 2) {
            painter_.drawPolyline(line_);
        }
        line_.clear();
    }

    QPainter& painter_;
    const AzimuthalEquidistant& projection_;
    double stepRad_;
    double maxJumpPx_;
    QPolygonF line_;
};

// Places text so that its ink is centred on a point, over a white patch that keeps it legible.
void drawCentredText(QPainter& painter, const QString& text, QPointF centre, QRgb colour) {
    const QFontMetrics fm(painter.font());
    const QRect ink = fm.tightBoundingRect(text);
    const QPoint origin(
        static_cast<int>(std::lround(centre.x() - ink.left() - (ink.width() - 1) / 2.0)),
        static_cast<int>(std::lround(centre.y() - ink.top() - (ink.height() - 1) / 2.0)));
    painter.fillRect(ink.translated(origin).adjusted(-1, -1, 1, 1),
                     QColor::fromRgb(MapRenderer::kGround));
    painter.setPen(QColor::fromRgb(colour));
    painter.drawText(origin, text);
}

QString formatKm(double km) {
    return QLocale::c().toString(std::round(km), 'f', 0);
}

QString formatPosition(GeoPoint p) {
    const QLocale c = QLocale::c();
    return QStringLiteral("%1%2 %3%4")
        .arg(c.toString(std::abs(p.lat), 'f', 2),
             p.lat < 0 ? QStringLiteral("S") : QStringLiteral("N"),
             c.toString(std::abs(p.lon), 'f', 2),
             p.lon < 0 ? QStringLiteral("W") : QStringLiteral("E"));
}

} // namespace

QString MapRenderer::validate(const MapOptions& o) {
    if (!std::isfinite(o.station.lat) || std::abs(o.station.lat) > 90.0) {
        return QStringLiteral("latitude must be between -90 and 90 degrees");
    }
    if (!std::isfinite(o.station.lon) || std::abs(o.station.lon) > 180.0) {
        return QStringLiteral("longitude must be between -180 and 180 degrees");
    }
    if (!std::isfinite(o.rangeKm) || o.rangeKm < kMinRangeKm ||
        o.rangeKm > kAntipodeDistanceKm + 0.5) {
        return QStringLiteral("range must be between %1 and %2 km (the antipode)")
            .arg(formatKm(kMinRangeKm), formatKm(kAntipodeDistanceKm));
    }
    if (!std::isfinite(o.ringKm) || o.ringKm <= 0.0 || o.rangeKm / o.ringKm > kMaxRings) {
        return QStringLiteral("ring spacing must be positive and give at most %1 rings")
            .arg(kMaxRings);
    }
    return {};
}

QStringList MapRenderer::legendLines(const MapOptions& o) {
    return {formatKm(o.ringKm) + QStringLiteral("km/ring"),
            QStringLiteral("R=") + formatKm(std::min(o.rangeKm, kAntipodeDistanceKm)) +
                QStringLiteral("km"),
            formatPosition(o.station)};
}

QImage MapRenderer::render(const std::vector<Polygon>& land, const MapOptions& options) {
    QImage image(kSize, kSize, QImage::Format_RGB888);
    image.fill(QColor::fromRgb(kGround));

    const double rangeKm = std::min(options.rangeKm, kAntipodeDistanceKm);
    const QPointF centre(kCentre, kCentre);
    const AzimuthalEquidistant projection(options.station, centre, kRadiusPx, rangeKm);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(QPen(QColor::fromRgb(kRing), 0));
    for (int k = 1; k * options.ringKm * projection.pixelsPerKm() < kRadiusPx - 1.0; ++k) {
        const double r = k * options.ringKm * projection.pixelsPerKm();
        painter.drawEllipse(centre, r, r);
    }
    painter.drawEllipse(centre, kRadiusPx, kRadiusPx);

    painter.setFont(mapFont());
    const QFontMetrics fm(painter.font());
    struct Label {
        QString text;
        QPointF at;
    };
    std::vector<Label> labels;
    painter.setPen(QPen(QColor::fromRgb(kSpoke), 0));
    for (int deg = 0; deg < 360; deg += kSpokeStepDeg) {
        const QString text = QString::number(deg);
        const QRect ink = fm.tightBoundingRect(text);
        const double az = degToRad(deg);
        const double s = std::sin(az);
        const double c = std::cos(az);
        const double extent = ink.width() / 2.0 * std::abs(s) + ink.height() / 2.0 * std::abs(c);
        const double labelRadius = kRadiusPx - 1.0 - extent;
        const double spokeEnd = labelRadius - extent - 1.5;
        painter.drawLine(QPointF(centre.x() + kClearRadiusPx * s, centre.y() - kClearRadiusPx * c),
                         QPointF(centre.x() + spokeEnd * s, centre.y() - spokeEnd * c));
        labels.push_back({text, {centre.x() + labelRadius * s, centre.y() - labelRadius * c}});
    }

    painter.setPen(QPen(QColor::fromRgb(kCoast), 0));
    CoastTracer tracer(painter, projection);
    for (const Polygon& polygon : land) {
        for (const Ring& ring : polygon) {
            tracer.traceRing(ring);
        }
    }

    for (const Label& label : labels) {
        drawCentredText(painter, label.text, label.at, kBearingText);
    }

    const QStringList legend = legendLines(options);
    const int lineStep = kFontPixelSize + 1;
    int baseline = kSize - 2 - std::max(0, fm.tightBoundingRect(legend.back()).bottom());
    for (qsizetype i = legend.size() - 1; i >= 0; --i) {
        const QRect ink = fm.tightBoundingRect(legend[i]);
        const QPoint origin(1 - ink.left(), baseline);
        painter.fillRect(ink.translated(origin).adjusted(-1, -1, 1, 1), QColor::fromRgb(kGround));
        painter.setPen(QColor::fromRgb(kLegendText));
        painter.drawText(origin, legend[i]);
        baseline -= lineStep;
    }
    painter.end();
    return image;
}

} // namespace roteka::mapgen

#include "mapgen/icon.h"

#include "mapgen/geo.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace roteka::mapgen {

namespace {

constexpr double kUnits = 256.0;
const QColor kDialFill(0x1f, 0x3a, 0x5f);
const QColor kDialFillLight(0x2f, 0x5b, 0x8c);
const QColor kDialRim(0xdf, 0xe6, 0xee);
const QColor kRoseLight(0xe8, 0xee, 0xf4);
const QColor kRoseShade(0x9f, 0xb3, 0xc8);
const QColor kNorth(0xe0, 0x3c, 0x31);
const QColor kNorthShade(0xa8, 0x24, 0x1c);
const QColor kAntenna(0xff, 0xc8, 0x2e);
const QColor kAntennaEdge(0x1a, 0x1a, 0x1a);

// Width in icon units that is at least minPx device pixels wide.
double atLeast(double units, double minPx, double scale) {
    return std::max(units, minPx / scale);
}

QPointF polarPoint(double radius, double bearingDeg) {
    const double a = degToRad(bearingDeg);
    return {128.0 + radius * std::sin(a), 128.0 - radius * std::cos(a)};
}

void drawDial(QPainter& p, double scale) {
    QRadialGradient fill(QPointF(100, 96), 150);
    fill.setColorAt(0.0, kDialFillLight);
    fill.setColorAt(1.0, kDialFill);
    const double rimWidth = atLeast(10.0, 1.2, scale);
    const double radius = 127.0 - rimWidth / 2.0;
    p.setPen(QPen(kDialRim, rimWidth));
    p.setBrush(fill);
    p.drawEllipse(QPointF(128, 128), radius, radius);
}

void drawRose(QPainter& p, double scale, bool detailed) {
    const double outer = detailed ? 104.0 : 100.0;
    const double inner = detailed ? 18.0 : 30.0;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const double bearing = 90.0 * i;
        const QPointF tip = polarPoint(outer, bearing);
        const QPointF left = polarPoint(inner, bearing - 45.0);
        const QPointF right = polarPoint(inner, bearing + 45.0);
        const QPointF hub(128, 128);
        const bool north = i == 0;
        if (!detailed && !north) {
            continue;
        }
        p.setBrush(north ? kNorth : kRoseLight);
        p.drawPolygon(QPolygonF({hub, left, tip}));
        p.setBrush(north ? kNorthShade : kRoseShade);
        p.drawPolygon(QPolygonF({hub, tip, right}));
    }
    const double tickWidth = atLeast(5.0, 1.2, scale);
    p.setPen(QPen(kRoseLight, tickWidth, Qt::SolidLine, Qt::FlatCap));
    const double tickInner = detailed ? 92.0 : 84.0;
    for (int i = 0; i < 8; ++i) {
        const bool cardinal = i % 2 == 0;
        if (i == 0 || (!detailed && !cardinal)) {
            continue;
        }
        p.drawLine(polarPoint(cardinal ? tickInner - 14.0 : tickInner, 45.0 * i),
                   polarPoint(116.0, 45.0 * i));
    }
}

void drawYagi(QPainter& p, double scale) {
    const bool detailed = scale >= 96.0 / kUnits;
    const double bearing = 45.0;
    struct Element {
        double along;
        double halfLength;
    };
    const std::vector<Element> elements =
        detailed ? std::vector<Element>{{-58, 48}, {-22, 42}, {14, 35}, {50, 28}}
                 : std::vector<Element>{{-52, 50}, {4, 40}, {58, 30}};
    const double boomBack = detailed ? -70.0 : -64.0;
    const double boomFront = detailed ? 78.0 : 74.0;
    const double elementWidth = atLeast(detailed ? 9.0 : 14.0, 1.3, scale);
    const double boomWidth = atLeast(detailed ? 10.0 : 14.0, 1.3, scale);

    QPainterPath shape;
    auto addBar = [&shape](QPointF a, QPointF b, double width) {
        QPainterPath bar;
        bar.moveTo(a);
        bar.lineTo(b);
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        stroker.setCapStyle(Qt::RoundCap);
        shape = shape.united(stroker.createStroke(bar));
    };
    addBar(polarPoint(boomBack, bearing), polarPoint(boomFront, bearing), boomWidth);
    for (const Element& e : elements) {
        const QPointF mid = polarPoint(e.along, bearing);
        const QPointF offset = polarPoint(e.halfLength, bearing + 90.0) - QPointF(128, 128);
        addBar(mid - offset, mid + offset, elementWidth);
    }
    if (detailed) {
        p.setPen(QPen(kAntennaEdge, 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shape);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kAntenna);
    p.drawPath(shape);

    const double hub = atLeast(detailed ? 14.0 : 18.0, 2.0, scale);
    p.setBrush(kAntennaEdge);
    p.drawEllipse(QPointF(128, 128), hub / 2.0, hub / 2.0);
}

// Below 48 px a smooth diagonal antenna turns to mush, so the beam is set pixel by pixel:
// one-pixel 45-degree lines stay crisp at any size.
void drawPixelYagi(QPainter& p, int size) {
    const int a = qRound(size * 0.25);
    const int b = size - 1 - a;
    const int n = size - 2 * a;
    struct Element {
        int k;
        int half;
    };
    const Element elements[] = {{qRound(n * 0.12), qRound(size * 0.19)},
                                {qRound(n * 0.5), qRound(size * 0.13)},
                                {n - 1, std::max(1, qRound(size * 0.07))}};
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kAntenna, 0));
    const int thickness = size >= 28 ? 2 : 1;
    for (int t = 0; t < thickness; ++t) {
        const QPoint shift(t, 0);
        p.drawLine(QPoint(a, b) + shift, QPoint(b, a) + shift);
        for (const Element& e : elements) {
            const QPoint mid = QPoint(a + e.k, b - e.k) + shift;
            p.drawLine(mid - QPoint(e.half, e.half), mid + QPoint(e.half, e.half));
        }
    }
}

} // namespace

QImage IconPainter::render(int size) {
    const int s = std::clamp(size, kMinSize, kMaxSize);
    QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const double scale = s / kUnits;
    const bool detailed = s >= 48;

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    drawDial(p, scale);
    drawRose(p, scale, detailed);
    if (detailed) {
        drawYagi(p, scale);
    } else {
        p.resetTransform();
        drawPixelYagi(p, s);
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace roteka::mapgen

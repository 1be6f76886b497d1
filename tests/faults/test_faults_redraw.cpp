// The map box redraws fast (it keeps shapes as the pixels they cover and a clear puts back
// only what drawing touched); long random runs of clears and drawings must still leave exactly
// the pixels that plain painting of the same calls gives, on screen and in the persistent
// picture.
#include "ui/PictureBox.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <random>

using namespace roteka;

namespace {

// The map box's drawing model done the plain way: a clear copies the whole picture back, and
// every shape is painted with QPainter.
class PlainBox {
public:
    explicit PlainBox(const QImage& base) : base_(base), persistent_(base) {}

    void cls() {
        persistent_ = base_;
        screenOnly_ = false;
    }
    void line(QPointF from, QPointF to) {
        paint([&](QPainter& p) { p.drawLine(pixel(from), pixel(to)); });
    }
    void circle(QPointF centre, double radius) {
        const double r = radius / PictureBox::TwipsPerPixel;
        const QPointF c(centre.x() / PictureBox::TwipsPerPixel,
                        centre.y() / PictureBox::TwipsPerPixel);
        paint([&](QPainter& p) { p.drawEllipse(c, r, r); });
    }
    const QImage& screenImage() const { return screenOnly_ ? screen_ : persistent_; }
    const QImage& persistentImage() const { return persistent_; }

    bool autoRedraw = false;
    int width = 1;
    QColor colour;

private:
    static QPoint pixel(QPointF twips) {
        return {int(std::lround(twips.x() / PictureBox::TwipsPerPixel)),
                int(std::lround(twips.y() / PictureBox::TwipsPerPixel))};
    }
    template <class Draw> void paint(Draw&& draw) {
        QImage* target = &persistent_;
        if (autoRedraw) {
            screenOnly_ = false;
        } else {
            if (!screenOnly_) {
                screen_ = persistent_.copy();
                screenOnly_ = true;
            }
            target = &screen_;
        }
        QPainter painter(target);
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        draw(painter);
    }

    QImage base_;
    QImage persistent_;
    QImage screen_;
    bool screenOnly_ = false;
};

QImage mapPicture() {
    QImage picture(200, 200, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
    }
    return picture;
}

} // namespace

class RedrawTest : public QObject {
    Q_OBJECT
private slots:
    void randomRunsMatchPlainPainting_data();
    void randomRunsMatchPlainPainting();
};

void RedrawTest::randomRunsMatchPlainPainting_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("pointersOnly");
    // Pointers: a clear, then the same few shapes at the map's centre, again and again, as
    // the window draws them for each azimuth. Anything: shapes anywhere (also off the box),
    // any width, colours that cannot be kept as pixels (translucent, finer than 8 bits).
    QTest::newRow("pointers") << 1u << true;
    QTest::newRow("anything, seed 2") << 2u << false;
    QTest::newRow("anything, seed 3") << 3u << false;
}

void RedrawTest::randomRunsMatchPlainPainting() {
    QFETCH(unsigned, seed);
    QFETCH(bool, pointersOnly);
    PictureBox box;
    box.resize(200 + 2 * PictureBox::BorderWidth, 200 + 2 * PictureBox::BorderWidth);
    box.setPicture(mapPicture());
    PlainBox plain(box.persistentImage().copy());

    const QList<QColor> colours{QColor(0, 192, 0),
                                QColor(255, 192, 128),
                                QColor(0, 0, 255),
                                QColor(Qt::black),
                                QColor(Qt::white),
                                QColor(255, 0, 0, 128),
                                QColor::fromRgbF(0.3f, 0.61f, 0.77f),
                                QColor::fromHsv(200, 255, 255)};
    std::mt19937 random(seed);
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const auto pick = [&](int count) {
        return std::uniform_int_distribution<int>(0, count - 1)(random);
    };
    const QPointF centre(1530, 1530);

    for (int step = 0; step < 3000; ++step) {
        if (pointersOnly) {
            const int azimuth = pick(360);
            const double a = azimuth * M_PI / 180.0;
            box.setAutoRedraw(true);
            plain.autoRedraw = true;
            box.cls();
            plain.cls();
            for (const auto& [width, colour, length] :
                 {std::tuple{4, colours[0], 1300.0}, std::tuple{3, colours[1], 150.0},
                  std::tuple{3, colours[2], 1400.0}}) {
                box.setDrawWidth(width);
                plain.width = width;
                box.setForeColor(colour);
                plain.colour = colour;
                const double turn = length == 150.0 ? 0.0 : a * (width == 4 ? 0.5 : 1.0);
                const QPointF end =
                    centre + QPointF(length * std::sin(turn), -length * std::cos(turn));
                if (length == 150.0) {
                    box.circle(centre, length);
                    plain.circle(centre, length);
                } else {
                    box.line(centre, end);
                    plain.line(centre, end);
                }
            }
        } else {
            switch (pick(8)) {
            case 0:
                box.cls();
                plain.cls();
                break;
            case 1: {
                const bool on = pick(2) == 1;
                box.setAutoRedraw(on);
                plain.autoRedraw = on;
                break;
            }
            case 2: {
                const int width = 1 + pick(8);
                box.setDrawWidth(width);
                plain.width = width;
                break;
            }
            case 3: {
                const QColor colour = colours[pick(int(colours.size()))];
                box.setForeColor(colour);
                plain.colour = colour;
                break;
            }
            case 4:
            case 5: {
                const QPointF from(uniform(-600, 3600), uniform(-600, 3600));
                const QPointF to(uniform(-600, 3600), uniform(-600, 3600));
                box.line(from, to);
                plain.line(from, to);
                break;
            }
            default: {
                const QPointF c(uniform(-600, 3600), uniform(-600, 3600));
                const double radius = uniform(-300, 2500);
                box.circle(c, radius);
                plain.circle(c, radius);
                break;
            }
            }
        }
        if (box.screenImage() != plain.screenImage() ||
            box.persistentImage() != plain.persistentImage())
            QFAIL(qPrintable(QStringLiteral("the pictures differ after step %1").arg(step)));
    }
}

QTEST_MAIN(RedrawTest)
#include "test_faults_redraw.moc"

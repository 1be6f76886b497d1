// The pointers on the map, checked on rendered pixels: replies arrive through the serial
// port, the azimuth update and the initialisation step draw, and a repaint shows only what
// was drawn persistently. Pixel (100, 100) of the box's inner area is the map centre; the
// map is replaced by a plain grey picture so that every colour seen was drawn.
#include "FakePlatform.h"
#include "FakeStation.h"
#include "PtyPeer.h"

#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <numbers>

using namespace roteka;
using namespace roteka::test;

namespace {

const QColor Ground(200, 200, 200);
const QColor Blue(0, 0, 255);
const QColor Green(0, 192, 0);
const QColor Orange(255, 192, 128);

constexpr double AzimuthLength = 80.0;
constexpr double TargetLength = 1300.0 / 15.0;

struct Window : FakeStation {
    Window() {
        QImage ground(200, 200, QImage::Format_RGB32);
        ground.fill(Ground);
        form.Picture1->setPicture(ground);
    }
    bool show() {
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }
    // What the box paints inside its border.
    QImage painted() const {
        const int b = PictureBox::BorderWidth;
        const QRect inner = form.Picture1->rect().adjusted(b, b, -b, -b);
        return form.Picture1->grab().toImage().copy(inner).convertToFormat(QImage::Format_RGB32);
    }
};

QPointF direction(double bearing) {
    const double a = bearing * std::numbers::pi / 180.0;
    return {std::sin(a), -std::cos(a)};
}

QPoint along(double bearing, double pixels) {
    const QPointF p = QPointF(100, 100) + pixels * direction(bearing);
    return {static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))};
}

// A pixel of the centre ring, away from any pointer when the bearing is free.
QPoint ring(double freeBearing) {
    return along(freeBearing, 3.5);
}

QString name(const QColor& c) {
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

bool hasColour(const QImage& image, QPoint at, const QColor& expected) {
    const QColor got = image.pixelColor(at);
    if (got == expected)
        return true;
    qWarning("pixel (%d, %d) is %s, expected %s", at.x(), at.y(), qPrintable(name(got)),
             qPrintable(name(expected)));
    return false;
}

int count(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

// The pointer ends where expected: its colour just before the end, the ground beyond it.
bool pointerEndsAt(const QImage& image, double bearing, double length, const QColor& colour) {
    return hasColour(image, along(bearing, length - 1.5), colour) &&
           hasColour(image, along(bearing, length + 4), Ground);
}

} // namespace

class MapDrawingTest : public QObject {
    Q_OBJECT
private slots:
    void azimuthPointer_data();
    void azimuthPointer();
    void pointers_data();
    void pointers();
    void ringKeepsTheBlueOfAnEarlierUpdate();
    void targetOfAStopBeforeTheFirstReply();
    void initialisationPointerIsGoneAfterARepaint();
    void nothingIsDrawnBeforeTheFirstReply();
};

void MapDrawingTest::azimuthPointer_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<double>("bearing");
    QTest::addColumn<QPointF>("end");
    QTest::newRow("0") << QByteArray("AZ=000") << 0.0 << QPointF(100, 20);
    QTest::newRow("90") << QByteArray("AZ=090") << 90.0 << QPointF(180, 100);
    QTest::newRow("180") << QByteArray("AZ=180") << 180.0 << QPointF(100, 180);
    QTest::newRow("270") << QByteArray("AZ=270") << 270.0 << QPointF(20, 100);
    QTest::newRow("45") << QByteArray("AZ=045") << 45.0 << QPointF(156.57, 43.43);
    QTest::newRow("450 is 90") << QByteArray("AZ=450") << 90.0 << QPointF(180, 100);
}

void MapDrawingTest::azimuthPointer() {
    QFETCH(QByteArray, reply);
    QFETCH(double, bearing);
    QFETCH(QPointF, end);
    QCOMPARE(along(bearing, AzimuthLength), end.toPoint());

    Window w;
    const QColor defaultPen = w.form.Picture1->defaultForeColor();
    QVERIFY(defaultPen != Ground && defaultPen != Blue);
    w.platform.serial.feed(reply);

    // The azimuth update drew persistently: no target yet, the ring in the box's own pen.
    const QImage& persistent = w.form.Picture1->persistentImage();
    QVERIFY(pointerEndsAt(persistent, bearing, AzimuthLength, Blue));
    QVERIFY(hasColour(persistent, along(bearing, AzimuthLength / 2), Blue));
    QVERIFY(hasColour(persistent, ring(bearing + 180), defaultPen));
    QCOMPARE(count(persistent, Green), 0);

    // The initialisation step then drew the target over it, on the screen only.
    const QImage& screen = w.form.Picture1->screenImage();
    QVERIFY(pointerEndsAt(screen, bearing, TargetLength, Green));
    QVERIFY(hasColour(screen, along(bearing, AzimuthLength - 1.5), Green));
    QVERIFY(hasColour(screen, ring(bearing + 180), defaultPen));
}

void MapDrawingTest::pointers_data() {
    QTest::addColumn<QString>("offset");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<double>("target");
    QTest::addColumn<double>("aim"); // NaN: no aim pointer
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<QColor>("ringColour");
    QTest::addColumn<double>("freeBearing");

    const double none = std::nan("");
    QTest::newRow("target 45 alone") << "0" << QByteArray("AZ=045") << QByteArray("AZ=200") << 45.0
                                     << none << 200.0 << Green << 315.0;
    QTest::newRow("offset 10 aims east") << "10" << QByteArray("AZ=100") << QByteArray("AZ=200")
                                         << 100.0 << 90.0 << 200.0 << Orange << 315.0;
    QTest::newRow("offset -5 aims at 5") << "-5" << QByteArray("AZ=000") << QByteArray("AZ=180")
                                         << 0.0 << 5.0 << 180.0 << Orange << 270.0;
    QTest::newRow("offset abc aims over the target")
        << "abc" << QByteArray("AZ=045") << QByteArray("AZ=200") << 45.0 << 45.0 << 200.0 << Orange
        << 315.0;
    QTest::newRow("offset 5x aims by its leading number")
        << "5x" << QByteArray("AZ=045") << QByteArray("AZ=200") << 45.0 << 40.0 << 200.0 << Orange
        << 315.0;
    QTest::newRow("empty offset") << "" << QByteArray("AZ=045") << QByteArray("AZ=200") << 45.0
                                  << none << 200.0 << Green << 315.0;
    QTest::newRow("offset 0.0") << "0.0" << QByteArray("AZ=045") << QByteArray("AZ=200") << 45.0
                                << none << 200.0 << Green << 315.0;
    QTest::newRow("target past north") << "0" << QByteArray("AZ=719") << QByteArray("AZ=090")
                                       << 359.0 << none << 90.0 << Green << 225.0;
}

void MapDrawingTest::pointers() {
    QFETCH(QString, offset);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(double, target);
    QFETCH(double, aim);
    QFETCH(double, azimuth);
    QFETCH(QColor, ringColour);
    QFETCH(double, freeBearing);

    Window w;
    QVERIFY(w.show());
    w.form.Text5->setText(offset);
    w.platform.serial.feed(first + "\r\n");
    w.platform.serial.feed(second + "\r\n");
    QCOMPARE(w.form.Label5->text(), QString::number(target));

    const QImage image = w.form.Picture1->persistentImage();
    QCOMPARE(w.form.Picture1->screenImage(), image);
    const bool hasAim = !std::isnan(aim);
    if (!hasAim || aim != target)
        QVERIFY(pointerEndsAt(image, target, TargetLength, Green));
    if (hasAim) {
        QVERIFY(pointerEndsAt(image, aim, TargetLength, Orange));
        QVERIFY(hasColour(image, along(aim, TargetLength / 2), Orange));
    } else {
        QCOMPARE(count(image, Orange), 0);
    }
    if (hasAim && aim == target)
        QCOMPARE(count(image, Green), 0);
    QVERIFY(hasColour(image, ring(freeBearing), ringColour));
    QVERIFY(pointerEndsAt(image, azimuth, AzimuthLength, Blue));

    // A repaint shows the same picture.
    w.form.hide();
    QVERIFY(w.show());
    QCOMPARE(w.painted(), image);
}

void MapDrawingTest::ringKeepsTheBlueOfAnEarlierUpdate() {
    // Two replies in one serial event: both updates run before the initialisation step sets
    // the last-commanded angle, so the second ring is drawn in the blue the first one left.
    Window w;
    w.platform.serial.feed("AZ=010\r\nAZ=200\r\n");
    const QImage& image = w.form.Picture1->persistentImage();
    QVERIFY(hasColour(image, ring(100), Blue));
    QCOMPARE(count(image, Green), 0);
    QVERIFY(pointerEndsAt(image, 200, AzimuthLength, Blue));
    QCOMPARE(w.form.Label5->text(), QStringLiteral("200"));
}

void MapDrawingTest::targetOfAStopBeforeTheFirstReply() {
    Window w;
    w.form.Command2->click();
    QCOMPARE(w.form.Label5->text(), QStringLiteral("000"));
    w.platform.serial.feed("AZ=090\r\n");
    const QImage& image = w.form.Picture1->persistentImage();
    QVERIFY(pointerEndsAt(image, 0, TargetLength, Green));
    QVERIFY(hasColour(image, ring(225), Green));
    QVERIFY(pointerEndsAt(image, 90, AzimuthLength, Blue));
}

void MapDrawingTest::initialisationPointerIsGoneAfterARepaint() {
    Window w;
    QVERIFY(w.show());
    w.platform.serial.feed("AZ=090\r\n");
    QImage shown = w.painted();
    QVERIFY(pointerEndsAt(shown, 90, TargetLength, Green));

    w.form.hide();
    QVERIFY(w.show());
    shown = w.painted();
    QCOMPARE(count(shown, Green), 0);
    QVERIFY(pointerEndsAt(shown, 90, AzimuthLength, Blue));

    // The next azimuth update draws everything persistently; a repaint keeps it all.
    w.platform.serial.feed("AZ=100\r\n");
    w.form.hide();
    QVERIFY(w.show());
    shown = w.painted();
    QVERIFY(pointerEndsAt(shown, 90, TargetLength, Green));
    QVERIFY(pointerEndsAt(shown, 100, AzimuthLength, Blue));
    QVERIFY(hasColour(shown, ring(270), Green));
}

void MapDrawingTest::nothingIsDrawnBeforeTheFirstReply() {
    Window w;
    QVERIFY(w.show());
    const QImage before = w.painted();
    w.form.Command1->click();
    w.platform.serial.feed("AZ=12\r\nA\r\n");
    QCOMPARE(w.painted(), before);
    QCOMPARE(before, w.form.Picture1->persistentImage());
    QCOMPARE(count(before, Blue) + count(before, Green) + count(before, Orange), 0);
}

QTEST_MAIN(MapDrawingTest)
#include "test_map_drawing.moc"

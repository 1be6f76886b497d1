// The map box's drawing model: persistent and screen-only drawing, clearing, the pen that
// carries over between calls, twips to pixels, what is painted, and the click it reports.
#include "ui/PictureBox.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using namespace roteka;

namespace {

const QColor Red(0xFF, 0x00, 0x00);
const QPointF Centre(1500, 1500);

// A picture whose every pixel differs from its neighbours, so that a wrong offset shows.
QImage patternPicture() {
    QImage picture(200, 200, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x, y, 0x80));
    }
    return picture;
}

// The map box as the window has it: 203 x 205 pixels with the picture, shown.
struct ShownBox {
    ShownBox() {
        box.resize(203, 205);
        box.setPicture(picture);
        box.show();
        exposed = QTest::qWaitForWindowExposed(&box);
    }
    void reshow() {
        box.hide();
        box.show();
        exposed = QTest::qWaitForWindowExposed(&box);
    }
    // The window system asks for the box again without hiding it (uncovered).
    void expose() {
        QExposeEvent event(QRegion(box.rect()));
        QCoreApplication::sendEvent(box.windowHandle(), &event);
    }
    QColor at(int x, int y) const { return box.screenImage().pixelColor(x, y); }
    QColor pictureAt(int x, int y) const { return picture.pixelColor(x, y); }

    QImage picture = patternPicture();
    PictureBox box;
    bool exposed = false;
};

} // namespace

class PictureBoxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pictureIsDrawnOnTheBackground_data();
    void pictureIsDrawnOnTheBackground();
    void drawingAndRepaint_data();
    void drawingAndRepaint();
    void clsRemovesDrawingKeepsPicture_data();
    void clsRemovesDrawingKeepsPicture();
    void penCarriesOver();
    void defaultPen();
    void twipsToPixels_data();
    void twipsToPixels();
    void circleIsAnOutline();
    void paintShowsTheScreenImage();
    void click_data();
    void click();
};

void PictureBoxTest::initTestCase() {
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void PictureBoxTest::pictureIsDrawnOnTheBackground_data() {
    QTest::addColumn<QImage>("picture");
    const QImage pattern = patternPicture();
    QTest::newRow("the map: wider and taller than the inside") << pattern;
    QTest::newRow("smaller than the inside") << pattern.copy(0, 0, 150, 120);
    QTest::newRow("one pixel") << pattern.copy(7, 9, 1, 1);
    QImage translucent = pattern.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < translucent.height(); ++y) {
        for (int x = 0; x < translucent.width(); ++x)
            translucent.setPixel(x, y, qRgba(x, y, 0x80, (x * 7 + y) % 256));
    }
    QTest::newRow("translucent") << translucent;
    QTest::newRow("premultiplied")
        << translucent.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage doubleDensity = pattern;
    doubleDensity.setDevicePixelRatio(2);
    QTest::newRow("two pixels to a point") << doubleDensity;
    QTest::newRow("16 bits a pixel") << pattern.convertToFormat(QImage::Format_RGB16);
}

// The picture lies on the box's background colour from the top-left corner of the inside, as
// drawing it there with a painter puts it.
void PictureBoxTest::pictureIsDrawnOnTheBackground() {
    QFETCH(QImage, picture);
    PictureBox box;
    box.resize(203, 205);
    box.setPicture(picture);
    QImage expected(box.persistentImage().size(), QImage::Format_RGB32);
    expected.fill(box.palette().color(QPalette::Button));
    QPainter painter(&expected);
    painter.drawImage(0, 0, picture);
    painter.end();
    QCOMPARE(box.persistentImage(), expected);
}

void PictureBoxTest::drawingAndRepaint_data() {
    QTest::addColumn<bool>("autoRedraw");
    QTest::addColumn<bool>("survivesRepaint");
    QTest::newRow("persistent") << true << true;
    QTest::newRow("screen only") << false << false;
}

void PictureBoxTest::drawingAndRepaint() {
    QFETCH(bool, autoRedraw);
    QFETCH(bool, survivesRepaint);
    ShownBox b;
    QVERIFY(b.exposed);
    b.box.setAutoRedraw(autoRedraw);
    b.box.setForeColor(Red);
    b.box.line(Centre, {1500, 300});
    QCOMPARE(b.at(100, 50), Red);
    QCOMPARE(b.box.persistentImage().pixelColor(100, 50) == Red, survivesRepaint);

    b.box.update();
    QCoreApplication::processEvents();
    QCOMPARE(b.at(100, 50), Red);

    b.expose();
    QCOMPARE(b.at(100, 50), survivesRepaint ? Red : b.pictureAt(100, 50));
    b.box.line(Centre, {1500, 300});
    b.reshow();
    QCOMPARE(b.at(100, 50), survivesRepaint ? Red : b.pictureAt(100, 50));
    QCOMPARE(b.at(50, 50), b.pictureAt(50, 50));
}

void PictureBoxTest::clsRemovesDrawingKeepsPicture_data() {
    QTest::addColumn<bool>("autoRedraw");
    QTest::addColumn<bool>("circle");
    QTest::newRow("persistent line") << true << false;
    QTest::newRow("screen-only line") << false << false;
    QTest::newRow("persistent circle") << true << true;
}

void PictureBoxTest::clsRemovesDrawingKeepsPicture() {
    QFETCH(bool, autoRedraw);
    QFETCH(bool, circle);
    ShownBox b;
    b.box.setAutoRedraw(autoRedraw);
    b.box.setForeColor(Red);
    b.box.setDrawWidth(3);
    if (circle)
        b.box.circle(Centre, 600);
    else
        b.box.line(Centre, {2700, 1500});
    QCOMPARE(b.at(140, 100), Red);

    b.box.setAutoRedraw(true);
    b.box.cls();
    for (const QPoint p : {QPoint(140, 100), QPoint(100, 100), QPoint(0, 0), QPoint(198, 199)})
        QCOMPARE(b.at(p.x(), p.y()), b.pictureAt(p.x(), p.y()));
    QCOMPARE(b.box.persistentImage().pixelColor(140, 100), b.pictureAt(140, 100));
    b.reshow();
    QCOMPARE(b.at(140, 100), b.pictureAt(140, 100));
}

void PictureBoxTest::penCarriesOver() {
    ShownBox b;
    b.box.setForeColor(Red);
    b.box.setDrawWidth(5);
    b.box.line({300, 1500}, {2700, 1500});
    QCOMPARE(b.at(60, 102), Red);
    QCOMPARE(b.at(60, 104), b.pictureAt(60, 104));

    b.box.setAutoRedraw(true);
    b.box.cls();
    QCOMPARE(b.box.foreColor(), Red);
    QCOMPARE(b.box.drawWidth(), 5);
    b.box.line({1500, 300}, {1500, 2700});
    QCOMPARE(b.at(102, 60), Red);
    QCOMPARE(b.at(104, 60), b.pictureAt(104, 60));
    b.box.setAutoRedraw(false);
    b.box.circle(Centre, 300);
    QCOMPARE(b.at(120, 100), Red);
}

void PictureBoxTest::defaultPen() {
    ShownBox b;
    const QColor foreground = b.box.palette().color(QPalette::ButtonText);
    QCOMPARE(b.box.foreColor(), foreground);
    QCOMPARE(b.box.drawWidth(), 1);
    b.box.line({300, 300}, {2700, 300});
    QCOMPARE(b.at(100, 20), foreground);
    QCOMPARE(b.at(100, 21), b.pictureAt(100, 21));
}

void PictureBoxTest::twipsToPixels_data() {
    QTest::addColumn<QPointF>("end");
    QTest::addColumn<QPoint>("endPixel");
    QTest::addColumn<QPoint>("beyond");
    QTest::newRow("north") << QPointF(1500, 300) << QPoint(100, 20) << QPoint(100, 18);
    QTest::newRow("east") << QPointF(2700, 1500) << QPoint(180, 100) << QPoint(182, 100);
    QTest::newRow("south") << QPointF(1500, 2700) << QPoint(100, 180) << QPoint(100, 182);
    QTest::newRow("west") << QPointF(300, 1500) << QPoint(20, 100) << QPoint(18, 100);
    QTest::newRow("fraction rounds")
        << QPointF(2419.5, 580.5) << QPoint(161, 39) << QPoint(163, 37);
}

void PictureBoxTest::twipsToPixels() {
    QFETCH(QPointF, end);
    QFETCH(QPoint, endPixel);
    QFETCH(QPoint, beyond);
    ShownBox b;
    b.box.setForeColor(Red);
    b.box.line(Centre, end);
    QCOMPARE(b.at(100, 100), Red);
    QCOMPARE(b.at(endPixel.x(), endPixel.y()), Red);
    QCOMPARE(b.at(beyond.x(), beyond.y()), b.pictureAt(beyond.x(), beyond.y()));
}

void PictureBoxTest::circleIsAnOutline() {
    ShownBox b;
    b.box.setForeColor(Red);
    b.box.setDrawWidth(3);
    b.box.circle(Centre, 50);
    QCOMPARE(b.at(100, 100), b.pictureAt(100, 100));
    QCOMPARE(b.at(103, 100), Red);
    QCOMPARE(b.at(100, 97), Red);
    QCOMPARE(b.at(106, 100), b.pictureAt(106, 100));
}

void PictureBoxTest::paintShowsTheScreenImage() {
    ShownBox b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.box));
    b.box.setForeColor(Red);
    b.box.line(Centre, {1500, 300});
    const QImage shot = b.box.grab().toImage();
    const QPoint inner(PictureBox::BorderWidth, PictureBox::BorderWidth);
    QCOMPARE(b.box.contentsRect().topLeft(), inner);
    QCOMPARE(shot.pixelColor(inner + QPoint(100, 50)), Red);
    for (const QPoint p : {QPoint(0, 0), QPoint(50, 50), QPoint(198, 199)})
        QCOMPARE(shot.pixelColor(inner + p), b.pictureAt(p.x(), p.y()));
    QVERIFY(shot.pixelColor(0, 0) != b.pictureAt(0, 0));
}

void PictureBoxTest::click_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<bool>("reported");
    QTest::newRow("left click") << Qt::LeftButton << QPoint(50, 60) << QPoint(50, 60) << true;
    QTest::newRow("on the border") << Qt::LeftButton << QPoint(1, 1) << QPoint(1, 1) << true;
    QTest::newRow("moved within") << Qt::LeftButton << QPoint(50, 60) << QPoint(150, 160) << true;
    QTest::newRow("released outside")
        << Qt::LeftButton << QPoint(50, 60) << QPoint(250, 60) << false;
    QTest::newRow("right click") << Qt::RightButton << QPoint(50, 60) << QPoint(50, 60) << false;
}

void PictureBoxTest::click() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(bool, reported);
    ShownBox b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.box));
    QSignalSpy clicked(&b.box, &PictureBox::clicked);
    QTest::mousePress(&b.box, button, {}, press);
    QTest::mouseRelease(&b.box, button, {}, release);
    QCOMPARE(clicked.size(), reported ? 1 : 0);
    if (reported)
        QCOMPARE(clicked.at(0).at(0).toPoint(), b.box.mapToGlobal(release));
}

QTEST_MAIN(PictureBoxTest)
#include "test_ui_picturebox.moc"

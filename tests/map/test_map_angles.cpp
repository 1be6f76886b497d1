// The angle functions behind the map click, and the pointer geometry of the map drawing.
#include "app/RunTimeError.h"
#include "map/Module1.h"
#include "map/PointerGeometry.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>
#include <numbers>

using namespace roteka;

namespace {

constexpr double pi = std::numbers::pi;
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

} // namespace

class MapAnglesTest : public QObject {
    Q_OBJECT
private slots:
    void piIsExact();
    void vectorAngle_data();
    void vectorAngle();
    void vectorAngleAgreesWithTheTwoArgumentArcTangent();
    void vectorAngleOfTwoInfinitiesIsAnError();
    void clickedBearing_data();
    void clickedBearing();
    void pointerEnd_data();
    void pointerEnd();
    void aimPointerWanted_data();
    void aimPointerWanted();
};

void MapAnglesTest::piIsExact() {
    QCOMPARE(Module1::Pi(), pi);
}

void MapAnglesTest::vectorAngle_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("expected");
    QTest::newRow("zero vector") << 0.0 << 0.0 << 0.0;
    QTest::newRow("negative zero vector") << -0.0 << -0.0 << 0.0;
    QTest::newRow("+x") << 5.0 << 0.0 << 0.0;
    QTest::newRow("+y") << 0.0 << 5.0 << pi / 2;
    QTest::newRow("-x") << -5.0 << 0.0 << pi;
    QTest::newRow("-y") << 0.0 << -5.0 << 3 * pi / 2;
    QTest::newRow("first quadrant") << 1.0 << 1.0 << pi / 4;
    QTest::newRow("second quadrant") << -1.0 << 1.0 << 3 * pi / 4;
    QTest::newRow("third quadrant") << -1.0 << -1.0 << 5 * pi / 4;
    QTest::newRow("fourth quadrant") << 1.0 << -1.0 << 7 * pi / 4;
    QTest::newRow("steep, first quadrant") << 1.0 << std::sqrt(3.0) << pi / 3;
    QTest::newRow("flat, fourth quadrant") << std::sqrt(3.0) << -1.0 << 11 * pi / 6;
    QTest::newRow("tiny x, huge y") << 1e-300 << 1e300 << pi / 2;
    QTest::newRow("infinite x") << inf << 3.0 << 0.0;
    QTest::newRow("just below +x is a full turn, 0") << 1.0 << -1e-300 << 0.0;
    QTest::newRow("infinite x below the axis") << inf << -2.0 << 0.0;
    QTest::newRow("x not a number") << notANumber << 1.0 << 0.0;
    QTest::newRow("y not a number") << -1.0 << notANumber << 0.0;
    QTest::newRow("neither a number") << notANumber << notANumber << 0.0;
    QTest::newRow("zero and not a number") << 0.0 << notANumber << 0.0;
}

void MapAnglesTest::vectorAngle() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, expected);
    const double result = Module1::VectorAngle(x, y);
    QVERIFY2(std::fabs(result - expected) < 1e-12,
             qPrintable(QStringLiteral("got %1").arg(result, 0, 'g', 17)));
}

void MapAnglesTest::vectorAngleAgreesWithTheTwoArgumentArcTangent() {
    QRandomGenerator random(11);
    for (int i = 0; i < 20000; ++i) {
        const double x = random.bounded(-300, 301);
        const double y = random.bounded(-300, 301);
        if (x == 0 && y == 0)
            continue;
        const double expected = std::fmod(std::atan2(y, x) + 2 * pi, 2 * pi);
        const double result = Module1::VectorAngle(x, y);
        QVERIFY(result >= 0 && result < 2 * pi);
        QVERIFY2(std::fabs(result - expected) < 1e-12,
                 qPrintable(QStringLiteral("(%1, %2): %3").arg(x).arg(y).arg(result)));
    }
}

void MapAnglesTest::vectorAngleOfTwoInfinitiesIsAnError() {
    QVERIFY_THROWS_EXCEPTION(RunTimeError, Module1::VectorAngle(inf, -inf));
}

void MapAnglesTest::clickedBearing_data() {
    QTest::addColumn<int>("X");
    QTest::addColumn<int>("Y");
    QTest::addColumn<double>("expected");
    QTest::newRow("straight above") << 102 << 2 << 0.05;
    QTest::newRow("straight right") << 200 << 102 << 90.09;
    QTest::newRow("straight below") << 102 << 201 << 180.14;
    QTest::newRow("straight left") << 2 << 102 << -90.0;
    QTest::newRow("the centre") << 102 << 102 << -90.0;
    QTest::newRow("north-west") << 52 << 52 << -44.98;
    QTest::newRow("just below west") << 2 << 103 << 269.61;
    QTest::newRow("just west of north") << 94 << 12 << -5.04;
}

void MapAnglesTest::clickedBearing() {
    QFETCH(int, X);
    QFETCH(int, Y);
    QFETCH(double, expected);
    const double bearing = roteka::clickedBearing(X, Y);
    QVERIFY2(std::fabs(bearing - expected) < 0.005,
             qPrintable(QStringLiteral("got %1").arg(bearing, 0, 'f', 4)));
}

void MapAnglesTest::pointerEnd_data() {
    QTest::addColumn<double>("bearing");
    QTest::addColumn<double>("length");
    QTest::addColumn<QPointF>("expected");
    QTest::newRow("north") << 0.0 << 1200.0 << QPointF(1500, 300);
    QTest::newRow("east") << 90.0 << 1200.0 << QPointF(2700, 1500);
    QTest::newRow("south") << 180.0 << 1200.0 << QPointF(1500, 2700);
    QTest::newRow("west") << 270.0 << 1200.0 << QPointF(300, 1500);
    QTest::newRow("north-east, target length") << 45.0 << 1300.0 << QPointF(2419.24, 580.76);
    QTest::newRow("-10 is 350") << -10.0 << 1300.0 << QPointF(1274.26, 219.75);
    QTest::newRow("370 is 10") << 370.0 << 1300.0 << QPointF(1725.74, 219.75);
    QTest::newRow("fraction") << 0.5 << 1300.0 << QPointF(1511.34, 200.05);
}

void MapAnglesTest::pointerEnd() {
    QFETCH(double, bearing);
    QFETCH(double, length);
    QFETCH(QPointF, expected);
    const QPointF end = roteka::pointerEnd(bearing, length);
    QVERIFY2(std::fabs(end.x() - expected.x()) < 0.01 && std::fabs(end.y() - expected.y()) < 0.01,
             qPrintable(QStringLiteral("got (%1, %2)").arg(end.x()).arg(end.y())));
}

void MapAnglesTest::aimPointerWanted_data() {
    QTest::addColumn<QString>("offset");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("00") << "00" << false;
    QTest::newRow("+0") << "+0" << false;
    QTest::newRow("-0") << "-0" << false;
    QTest::newRow("0.0") << "0.0" << false;
    QTest::newRow("blanks around 0") << "  0 " << false;
    QTest::newRow("10") << "10" << true;
    QTest::newRow("-5") << "-5" << true;
    QTest::newRow("0.5") << "0.5" << true;
    QTest::newRow("5x") << "5x" << true;
    QTest::newRow("abc") << "abc" << true;
    QTest::newRow("0x") << "0x" << true;
    QTest::newRow("blank alone") << " " << true;
}

void MapAnglesTest::aimPointerWanted() {
    QFETCH(QString, offset);
    QFETCH(bool, wanted);
    QCOMPARE(roteka::aimPointerWanted(offset), wanted);
}

QTEST_MAIN(MapAnglesTest)
#include "test_map_angles.moc"

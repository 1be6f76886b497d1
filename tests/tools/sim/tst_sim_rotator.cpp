#include "protocol.h"
#include "rotator.h"

#include <QTest>
#include <cmath>

using namespace roteka::sim;

Q_DECLARE_METATYPE(Rotator::Motion)

// Drives the rotator model with scripted commands on a fake clock.
class TestSimRotator : public QObject {
    Q_OBJECT

private slots:
    void followsScript_data();
    void followsScript();
    void timeUntilStop_data();
    void timeUntilStop();
    void reportedAzimuthIsRounded_data();
    void reportedAzimuthIsRounded();
};

void TestSimRotator::followsScript_data() {
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("start");
    // Commands and "+ms" steps of the fake clock.
    QTest::addColumn<QString>("script");
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<Rotator::Motion>("motion");

    using M = Rotator::Motion;
    QTest::newRow("R at default speed") << 360 << 6.0 << 0.0 << "R +1000" << 6.0 << M::Clockwise;
    QTest::newRow("L at default speed")
        << 360 << 6.0 << 100.0 << "L +2000" << 88.0 << M::CounterClockwise;
    QTest::newRow("R stops at 360") << 360 << 6.0 << 350.0 << "R +5000" << 360.0 << M::Stopped;
    QTest::newRow("R passes 360 in 450 range")
        << 450 << 6.0 << 355.0 << "R +2000" << 367.0 << M::Clockwise;
    QTest::newRow("R stops at 450") << 450 << 6.0 << 440.0 << "R +5000" << 450.0 << M::Stopped;
    QTest::newRow("L stops at 0") << 360 << 6.0 << 5.0 << "L +2000" << 0.0 << M::Stopped;
    QTest::newRow("L at 0 stays") << 360 << 6.0 << 0.0 << "L +1000" << 0.0 << M::Stopped;
    QTest::newRow("R at range end stays")
        << 450 << 6.0 << 450.0 << "R +1000" << 450.0 << M::Stopped;
    QTest::newRow("A stops") << 360 << 6.0 << 0.0 << "R +1000 A +1000" << 6.0 << M::Stopped;
    QTest::newRow("R reverses L") << 360 << 6.0 << 100.0 << "L +1000 R +1000" << 100.0
                                  << M::Clockwise;
    QTest::newRow("M reaches odd target exactly")
        << 360 << 7.0 << 0.0 << "M010 +3000" << 10.0 << M::Stopped;
    QTest::newRow("M on the way") << 360 << 6.0 << 0.0 << "M100 +1000" << 6.0 << M::ToTarget;
    QTest::newRow("M 350->010 turns back, not through the stop")
        << 360 << 6.0 << 350.0 << "M010 +1000" << 344.0 << M::ToTarget;
    QTest::newRow("M 350->010 arrives")
        << 360 << 6.0 << 350.0 << "M010 +60000" << 10.0 << M::Stopped;
    QTest::newRow("M 010->350 turns forward")
        << 360 << 6.0 << 10.0 << "M350 +1000" << 16.0 << M::ToTarget;
    QTest::newRow("M 440->010 in 450 range")
        << 450 << 6.0 << 440.0 << "M010 +1000" << 434.0 << M::ToTarget;
    QTest::newRow("M370 in 450 range crosses north")
        << 450 << 6.0 << 350.0 << "M370 +60000" << 370.0 << M::Stopped;
    QTest::newRow("M360 in 360 range")
        << 360 << 6.0 << 355.0 << "M360 +5000" << 360.0 << M::Stopped;
    QTest::newRow("M above 360 clamps")
        << 360 << 6.0 << 300.0 << "M400 +60000" << 360.0 << M::Stopped;
    QTest::newRow("M999 clamps to 450")
        << 450 << 6.0 << 300.0 << "M999 +60000" << 450.0 << M::Stopped;
    QTest::newRow("M to where it is") << 360 << 6.0 << 123.0 << "M123 +1000" << 123.0 << M::Stopped;
    QTest::newRow("M retargets while moving")
        << 360 << 6.0 << 0.0 << "M100 +1000 M000 +500" << 3.0 << M::ToTarget;
    QTest::newRow("A cancels M") << 360 << 6.0 << 0.0 << "M100 +1000 A +1000" << 6.0 << M::Stopped;
    QTest::newRow("L after M turns to the stop")
        << 360 << 6.0 << 20.0 << "M100 L +60000" << 0.0 << M::Stopped;
    QTest::newRow("fast speed") << 360 << 100.0 << 0.0 << "M010 +150" << 10.0 << M::Stopped;
}

void TestSimRotator::followsScript() {
    QFETCH(int, range);
    QFETCH(double, speed);
    QFETCH(double, start);
    QFETCH(QString, script);
    QFETCH(double, azimuth);
    QFETCH(Rotator::Motion, motion);

    for (const int tickMs : {10, 333}) {
        Rotator rotator(speed, range, start);
        for (const QString& token : script.split(' ', Qt::SkipEmptyParts)) {
            if (!token.startsWith('+')) {
                const auto command = parseCommand(token.toStdString());
                QVERIFY2(command, qPrintable(token));
                applyCommand(*command, rotator);
                continue;
            }
            for (int left = token.mid(1).toInt(); left > 0; left -= tickMs) {
                const double before = rotator.azimuth();
                rotator.advance(std::chrono::milliseconds(std::min(left, tickMs)));
                const double after = rotator.azimuth();
                QVERIFY2(after >= 0.0 && after <= range, qPrintable(QString::number(after)));
                QVERIFY2(std::abs(after - before) <= speed * tickMs / 1000.0 + 1e-9,
                         qPrintable(QStringLiteral("jump %1 -> %2").arg(before).arg(after)));
            }
        }
        QVERIFY2(std::abs(rotator.azimuth() - azimuth) < 1e-6,
                 qPrintable(QStringLiteral("tick %1 ms: azimuth %2, expected %3")
                                .arg(tickMs)
                                .arg(rotator.azimuth())
                                .arg(azimuth)));
        QCOMPARE(rotator.motion(), motion);
        if (motion == Rotator::Motion::Stopped)
            QCOMPARE(rotator.azimuth(), azimuth);
    }
}

void TestSimRotator::timeUntilStop_data() {
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("command");
    QTest::addColumn<double>("seconds");

    QTest::newRow("M012 from 0") << 360 << 0.0 << "M012" << 2.0;
    QTest::newRow("M000 from 30") << 360 << 30.0 << "M000" << 5.0;
    QTest::newRow("R to 360") << 360 << 354.0 << "R" << 1.0;
    QTest::newRow("R to 450") << 450 << 354.0 << "R" << 16.0;
    QTest::newRow("L to 0") << 360 << 18.0 << "L" << 3.0;
    QTest::newRow("stopped") << 360 << 18.0 << "A" << -1.0;
}

void TestSimRotator::timeUntilStop() {
    QFETCH(int, range);
    QFETCH(double, start);
    QFETCH(QString, command);
    QFETCH(double, seconds);

    Rotator rotator(6.0, range, start);
    applyCommand(*parseCommand(command.toStdString()), rotator);
    const auto remaining = rotator.timeUntilStop();
    if (seconds < 0) {
        QVERIFY(!remaining);
        return;
    }
    QVERIFY(remaining);
    QCOMPARE(remaining->count(), seconds);
    rotator.advance(*remaining);
    QVERIFY(!rotator.moving());
}

void TestSimRotator::reportedAzimuthIsRounded_data() {
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<int>("reported");

    QTest::newRow("0.4") << 0.4 << 0;
    QTest::newRow("0.5") << 0.5 << 1;
    QTest::newRow("359.5") << 359.5 << 360;
    QTest::newRow("449.6") << 449.6 << 450;
}

void TestSimRotator::reportedAzimuthIsRounded() {
    QFETCH(double, azimuth);
    QFETCH(int, reported);
    QCOMPARE(Rotator(6.0, 450, azimuth).reportedAzimuth(), reported);
}

QTEST_GUILESS_MAIN(TestSimRotator)
#include "tst_sim_rotator.moc"

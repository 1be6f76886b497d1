// A whole turn with the controller simulator on a pseudo-terminal: the window starts on the
// simulated port, takes the first report, the operator clicks east on the map, and the
// antenna turns until the reported azimuth and both pointers show east.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"

#include <QLabel>
#include <QProcess>
#include <QtTest>

using namespace roteka;
using namespace roteka::test;

class MapStoryTest : public QObject {
    Q_OBJECT
private slots:
    void clickEastAndWatchTheAntennaTurn();
};

void MapStoryTest::clickEastAndWatchTheAntennaTurn() {
#ifndef ROTEKA_SIM_PATH
    QSKIP("the controller simulator is not part of this build");
#else
    TestDirectory dir;
    QProcess sim;
    sim.start(QStringLiteral(ROTEKA_SIM_PATH),
              {QStringLiteral("--alias"), QStringLiteral("6"), QStringLiteral("--alias-dir"),
               dir.aliasDir(), QStringLiteral("--speed"), QStringLiteral("90"),
               QStringLiteral("--moving-interval"), QStringLiteral("50"),
               QStringLiteral("--idle-interval"), QStringLiteral("100"), QStringLiteral("--start"),
               QStringLiteral("300")});
    QVERIFY2(sim.waitForStarted(5000), qPrintable(sim.errorString()));
    QByteArray announced;
    QVERIFY(waitFor(
        [&] {
            announced += sim.readAllStandardOutput();
            return announced.contains("\nALIAS ");
        },
        10000));
    QVERIFY2(announced.startsWith("PTY /dev/"), announced.constData());

    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "6,9600,N,8,1:0\r\n");
    RealWindow window;
    window.form->Form_Load();
    QCOMPARE(window.messages.shown, QStringList());
    QCOMPARE(window.form->Label1->text(), QStringLiteral("Port = True"));
    window.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.form.get()));

    QVERIFY(waitFor([&] { return window.form->Label2[5]->text() == QStringLiteral("設定角度 ＝"); },
                    10000));
    QCOMPARE(window.form->Label4->text(), QStringLiteral("300"));
    QCOMPARE(window.form->Label5->text(), QStringLiteral("300"));

    QTest::mouseClick(window.form->Picture1, Qt::LeftButton, {}, QPoint(200, 102));
    QCOMPARE(window.form->Label5->text(), QStringLiteral("90"));
    QVERIFY2(waitFor([&] { return window.form->Label4->text() == QStringLiteral("90"); }, 30000),
             qPrintable(window.form->Label4->text()));

    // On the map: the blue azimuth pointer runs east to 80 pixels, the wider green target
    // pointer lies under it and shows beyond its end up to 86 pixels; nothing is left of the
    // pointer toward 300 degrees.
    const QImage& image = window.form->Picture1->persistentImage();
    QCOMPARE(image.pixelColor(140, 100), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(178, 100), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(184, 100), QColor(0, 192, 0));
    QVERIFY(image.pixelColor(48, 70) != QColor(0, 0, 255));

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
#endif
}

QTEST_MAIN(MapStoryTest)
#include "test_map_story.moc"

// The map: the angle functions, the bearing of a click and the go-to command it sends, the
// pointers drawn for the replies, and a whole turn with the controller simulator.
#include "Stations.h"

#include "map/Module1.h"
#include "map/PointerGeometry.h"

#include <QPainter>

#include <cmath>
#include <numbers>

using namespace roteka;
using namespace roteka::test;

constexpr double pi = std::numbers::pi;

class MapTest : public QObject {
    Q_OBJECT
private slots:
    void angles() {
        QCOMPARE(Module1::Pi(), pi);
        // clang-format off
        for (const auto& [x, y, angle] : std::initializer_list<std::tuple<double, double, double>>{
                 {0, 0, 0}, {-0.0, -0.0, 0}, {5, 0, 0}, {0, 5, pi / 2}, {-5, 0, pi}, {0, -5, 3 * pi / 2}, {1, 1, pi / 4},
                 {-1, 1, 3 * pi / 4}, {-1, -1, 5 * pi / 4}, {1, -1, 7 * pi / 4}, {1, std::sqrt(3.0), pi / 3},
                 {std::sqrt(3.0), -1, 11 * pi / 6}, {1e-300, 1e300, pi / 2}, {qInf(), 3, 0}, {1, -1e-300, 0}, {qInf(), -2, 0},
                 {qQNaN(), 1, 0}, {-1, qQNaN(), 0}, {qQNaN(), qQNaN(), 0}, {0, qQNaN(), 0}})
            QVERIFY2(std::fabs(Module1::VectorAngle(x, y) - angle) < 1e-12, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        // clang-format on
        QVERIFY_THROWS_EXCEPTION(RunTimeError, Module1::VectorAngle(qInf(), -qInf()));
    }

    // Whether an offset asks for the aim pointer: not for one that is zero.
    void geometry() {
        // clang-format off
        for (const char* none : {"", "0", "00", "+0", "-0", "0.0", "  0 "})
            QVERIFY2(!aimPointerWanted(QString(none)), none);
        for (const char* wanted : {"10", "-5", "0.5", "5x", "abc", "0x", " "})
            QVERIFY2(aimPointerWanted(QString(wanted)), wanted);
        // clang-format on
    }

    // A click on the map, the last-commanded angle 7 and a reply begun before it: the angle, the
    // bytes sent, then status line, connect caption and receive buffer.
    void click() {
        const QString sent = "Port = True|切断|";
        // clang-format off
        // point, offset, port open, the box's rectangle (0 the real one, 1 none to be had, 2 one
        // the window system reports 50 px further), angle, bytes, status|caption|buffer
        for (const auto& [point, offset, open, rect, angle, bytes, after] : std::initializer_list<std::tuple<QPoint, const char*, bool, int, const char*, QByteArray, QString>>{
                 {{102, 102}, "0", true, 0, "270", "M270\r\n", sent}, {{102, 2}, "0", true, 0, "0", "M000\r\n", sent},
                 {{200, 102}, "0", true, 0, "90", "M090\r\n", sent}, {{102, 201}, "0", true, 0, "180", "M180\r\n", sent},
                 {{152, 52}, "0", true, 0, "45", "M045\r\n", sent}, {{52, 152}, "0", true, 0, "225", "M225\r\n", sent},
                 {{52, 52}, "0", true, 0, "315", "M315\r\n", sent}, {{2, 103}, "0", true, 0, "270", "M270\r\n", sent},
                 {{101, 2}, "0", true, 0, "359", "M359\r\n", sent}, {{103, 2}, "0", true, 0, "1", "M001\r\n", sent},
                 {{94, 12}, "10", true, 0, "5", "M005\r\n", sent}, {{94, 12}, "-10", true, 0, "345", "M345\r\n", sent},
                 {{102, 2}, "2.5", true, 0, "2", "M002\r\n", sent}, {{102, 2}, "3.5", true, 0, "4", "M004\r\n", sent},
                 {{2, 103}, "100", true, 0, "370", "M370\r\n", sent}, {{152, 52}, "", true, 0, "45", "M045\r\n", sent},
                 {{152, 52}, "5 deg", true, 0, "50", "M050\r\n", sent}, {{102, 2}, "-390", true, 0, "-30", "M-30\r\n", sent},
                 {{102, 2}, "1000", true, 0, "1000", "", sent}, {{102, 2}, "-500", true, 0, "-140", "", sent},
                 {{152, 52}, "0", false, 0, "45", "", "port = False|接続|"}, {{102, 2}, "40000", true, 0, "7", "", sent + "AZ=1"},
                 {{102, 2}, "-40000", true, 0, "7", "", sent + "AZ=1"}, {{102, 2}, "40000", false, 0, "7", "", sent + "AZ=1"},
                 {{152, 52}, "0", false, 1, "7", "", sent + "AZ=1"}, {{152, 52}, "0", true, 2, "0", "M000\r\n", sent}}) {
            // clang-format on
            FakeStation w;
            w.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w.form));
            w.platform.pointer.failRect = rect == 1;
            if (rect == 2)
                w.platform.pointer.rect =
                    QRect(w.form.Picture1->mapToGlobal(QPoint(50, 50)), QSize(203, 205));
            if (!open)
                w.platform.serial.setPortOpen(false);
            w.form.Text5->setText(offset);
            w.form.Label5->setText("7");
            w.form.ReceiveBuffer = "AZ=1";
            QTest::mouseClick(w.form.Picture1, Qt::LeftButton, {}, point);
            const QString got = w.form.Label5->text() + ' ' + w.platform.serial.written + ' ' +
                                w.form.Label1->text() + '|' + w.form.Command6->text() + '|' +
                                w.form.ReceiveBuffer;
            const QString row = QStringLiteral("(%1, %2) ").arg(point.x()).arg(point.y());
            QVERIFY2(got == QString(angle) + ' ' + bytes + ' ' + after,
                     qPrintable(row + offset + ": " + got));
        }
    }

    // The pointers on a plain grey map, drawn for the replies fed (a leading "!" clicks stop
    // first; a "|" feeds all at once, else reply by reply), as the committed pictures in golden/
    // show them: left what a repaint shows (persistent drawing), right what the box shows now.
    // Blue the azimuth (80 px), green the target (87 px), orange the target less the offset, the
    // ring in the last colour drawn. ROTEKA_UPDATE_GOLDEN=1 writes them anew.
    void pointers() {
        // clang-format off
        for (const auto& [name, offset, replies] : std::initializer_list<std::tuple<const char*, const char*, QByteArray>>{
                 {"first-045", "0", "AZ=045"}, {"first-270", "0", "AZ=270"}, {"first-450", "0", "AZ=450"},
                 {"target-alone", "0", "AZ=045\r\nAZ=200\r\n"}, {"offset-10", "10", "AZ=100\r\nAZ=200\r\n"},
                 {"offset-abc-aims-at-the-target", "abc", "AZ=045\r\nAZ=200\r\n"}, {"empty-offset", "", "AZ=045\r\nAZ=200\r\n"},
                 {"stop-before-the-first-reply", "0", "!AZ=090\r\n"}, {"two-updates-in-one-event", "0", "|AZ=010\r\nAZ=200\r\n"},
                 {"nothing-before-a-whole-reply", "0", "!AZ=12\r\nA\r\n"}}) {
            // clang-format on
            FakeStation w;
            QImage grey(200, 200, QImage::Format_RGB32);
            grey.fill(QColor(200, 200, 200));
            w.form.Picture1->setPicture(grey);
            w.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w.form));
            w.form.Text5->setText(offset);
            if (replies.startsWith('!'))
                w.form.Command2->click();
            if (replies.startsWith('|'))
                w.platform.serial.feed(replies.mid(1));
            else
                for (const QByteArray& reply : replies.mid(replies.startsWith('!')).split('\n'))
                    w.platform.serial.feed(reply + '\n');
            const QImage& persistent = w.form.Picture1->persistentImage();
            QImage both(2 * persistent.width(), persistent.height(), QImage::Format_RGB32);
            QPainter(&both).drawImage(0, 0, persistent);
            QPainter(&both).drawPixmap(persistent.width(), 0,
                                       w.form.Picture1->grab(w.form.Picture1->contentsRect()));
            QVERIFY2(sameAsGolden(both, QStringLiteral(ROTEKA_GOLDEN "/%1.png").arg(name)), name);
            w.form.hide();
            w.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w.form));
            QCOMPARE(w.form.Picture1->screenImage(), w.form.Picture1->persistentImage());
        }
    }

    // The window starts on the simulated port, takes the first report, the operator clicks east,
    // and the antenna turns until the azimuth and both pointers show east.
    void clickEastAndWatchTheAntennaTurn() {
        TestDirectory dir;
        Simulator sim(dir, 6,
                      {"--speed", "90", "--moving-interval", "50", "--idle-interval", "100",
                       "--start", "300"});
        QVERIFY(sim.bound);
        dir.writeFile("ROTEKA.DAT", "6,9600,N,8,1:0\r\n");
        RealWindow window;
        Form1& form = *window.form;
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE_WITH_TIMEOUT(state(form), "Port = True|切断|300|300|設定角度 ＝|", 10000);
        QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, QPoint(200, 102));
        QCOMPARE(form.Label5->text(), "90");
        QVERIFY(sim.received("M090"));
        QTRY_COMPARE_WITH_TIMEOUT(form.Label4->text(), "90", 30000);
        // The blue azimuth pointer runs east to 80 pixels, the wider green target lies under it
        // and shows beyond its end; nothing is left of the pointer toward 300 degrees.
        const QImage& image = form.Picture1->persistentImage();
        QCOMPARE(image.pixelColor(140, 100), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(178, 100), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(184, 100), QColor(0, 192, 0));
        QVERIFY(image.pixelColor(48, 70) != QColor(0, 0, 255));
        QCOMPARE(window.messages.shown, QStringList());
    }
};

QTEST_MAIN(MapTest)
#include "test_map.moc"

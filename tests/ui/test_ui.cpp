// The window as the operator sees it: both pages as golden/ pictures them, the controls' texts, the
// focus order, clicks on the map, the map box's drawing and the operator's own map.
#include "Stations.h"

#include "LogRecorder.h"
#include "ui/StationMap.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTabBar>

#include <cmath>
#include <random>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

// The window after start-up on the fake port, shown, and its controls by name.
struct Shown : FakeWindow {
    Shown() { window.show(); }
    void showPage(int index) {
        QTabBar* tabs = part<TabControl>(window, "pages")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    QPushButton* button(const char* name) { return part<QPushButton>(window, name); }
    QLineEdit* edit(const char* name) { return part<QLineEdit>(window, name); }
    QLabel* label(const char* name) { return part<QLabel>(window, name); }
    PictureBox* map() { return part<PictureBox>(window, "mapBox"); }
};

QString accessible(QWidget* widget, QAccessible::Text kind) {
    return QAccessible::queryAccessibleInterface(widget)->text(kind);
}

// The name of the control that holds the focus (an inner widget counts as its control).
QString focusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty())
            return w->objectName();
    }
    return QString();
}

// What the map box shows: left what a repaint shows (persistent drawing), right the box now.
QImage bothPictures(PictureBox& box) {
    const QImage& persistent = box.persistentImage();
    QImage both(2 * persistent.width(), persistent.height(), QImage::Format_RGB32);
    QPainter(&both).drawImage(0, 0, persistent);
    QPainter(&both).drawPixmap(persistent.width(), 0, box.grab(box.contentsRect()));
    return both;
}

} // namespace

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    // The window as golden/ shows it in each state, its size fixed; a switch that is on is pink.
    void pages_data() {
        QTest::addColumn<QString>("state");
        for (const char* state :
             {"started", "pointers", "disconnected", "settings", "switch", "typed"})
            QTest::newRow(state) << QString(state);
    }
    void pages() {
        QFETCH(QString, state);
        Shown w;
        MainWindow& window = w.window;
        QCOMPARE(window.windowTitle() + QString::number(window.maximumWidth()), "ROTEKA216");
        QCOMPARE(window.minimumSize(), window.maximumSize());
        if (state == "pointers") {
            w.edit("offsetEdit")->setText(QStringLiteral("10"));
            w.platform.serial.feed("AZ=100\r\nAZ=200\r\n");
            w.label("commandedAngleLabel")->setText(QStringLiteral("-359"));
        } else if (state == "disconnected") {
            w.button("connectButton")->click();
        } else if (state != "started") {
            w.showPage(1);
            if (state == "switch")
                w.button("switch1Button")->click();
            if (state == "typed") {
                w.edit("commandEdit")->setText(QStringLiteral("V 方位"));
                w.button("registerButton")->click();
            }
        }
        QVERIFY(sameAsGolden(window.grab().toImage(), ROTEKA_GOLDEN "/" + state + ".png"));
    }

    // A click on the hidden page's controls reaches nothing; the focus goes round each page; a
    // switch turns back off.
    void pagesBehave() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QPoint turnLeft(29, 71), switch1(35, 295);
        for (int page : {1, 0}) {
            w.showPage(page);
            QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, turnLeft);
            QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, switch1);
        }
        QCOMPARE(w.platform.serial.written, QByteArray("L\r\nM220\r\n")); // the map lies there
        QCOMPARE(w.platform.messages.shown, QStringList{QStringLiteral("作成中です。")});
        QPushButton* sw = w.button("switch1Button");
        sw->click();
        QCOMPARE(sw->palette().color(QPalette::Button),
                 QApplication::palette(sw).color(QPalette::Button));
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        // clang-format off
        for (const auto& [page, order] : {
                 std::pair{0, "pages mapBox turnLeftButton stopButton turnRightButton stepRightButton stepLeftButton "
                              "connectButton pages"},
                 {1, "pages registerButton lineSettingsEdit portNumberEdit sendCommandButton commandEdit connectButton "
                     "offsetEdit portCombo switch1Button switch2Button switch3Button switch4Button pages"}}) {
            // clang-format on
            w.showPage(page);
            part<TabControl>(w.window, "pages")->tabBar()->setFocus(Qt::TabFocusReason);
            QStringList seen{focusedControl()};
            while (seen.size() < QString(order).count(' ') + 1) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                seen << focusedControl();
            }
            QCOMPARE(seen.join(' '), order);
        }
    }

    // The device list without empty names, none on a failing listing; the drop-down shows its
    // prompt, and a device clicked in it puts its number in the port number box.
    void portList() {
        FakeWindow w(UsualSettings, FakeStation::StartLater);
        w.platform.devices.names = {"Communications Port (COM1)", "", "USB Serial Port (COM12)"};
        w.control.startUp();
        QComboBox* list = part<QComboBox>(w.window, "portCombo");
        QCOMPARE(list->count(), 2);
        part<TabControl>(w.window, "pages")->setCurrentIndex(1);
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window) && list->isEditable());
        QCOMPARE(list->currentText() + QString::number(list->currentIndex()), "コムポート選択-1");
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(1, 0)).center());
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(part<QLineEdit>(w.window, "portNumberEdit")->text() + w.control.portNumberField(),
                 "1212");
        FakeWindow failing(UsualSettings, FakeStation::StartLater);
        failing.platform.devices.fail = true;
        failing.control.startUp();
        QCOMPARE(part<QComboBox>(failing.window, "portCombo")->count(), 0);
    }

    // Replies quicker than the display's frames: the screen ends up showing the window as it is.
    void repaintsFollowTheReplies() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        for (int azimuth = 100; azimuth <= 190; azimuth += 10)
            w.platform.serial.feed(QStringLiteral("AZ=%1\r\n").arg(azimuth).toLatin1());
        const auto shown = [&](const QImage& image) {
            return image.convertToFormat(QImage::Format_RGB32);
        };
        const QImage window = shown(w.window.grab().toImage());
        QVERIFY(waitFor([&] {
            return shown(w.window.screen()->grabWindow(w.window.winId()).toImage()) == window;
        }));
    }

    // Each control's caption, tool tip and screen reader texts as golden/controls.txt has them; the
    // window icon's sizes.
    void controlTexts() {
        Shown w;
        QString texts;
        for (QWidget* control : w.window.findChildren<QWidget*>()) {
            if (control->objectName().isEmpty())
                continue;
            const QVariant caption =
                control->property(control->inherits("QGroupBox") ? "title" : "text");
            texts += QStringList{control->objectName(), caption.toString(), control->toolTip(),
                                 accessible(control, QAccessible::Name),
                                 accessible(control, QAccessible::Description)}
                         .join(" | ") +
                     '\n';
        }
        QFile golden(ROTEKA_GOLDEN "/controls.txt");
        if (qEnvironmentVariableIsSet("ROTEKA_UPDATE_GOLDEN") && golden.open(QIODevice::WriteOnly))
            golden.write(texts.toUtf8());
        golden.close();
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(texts, QString::fromUtf8(golden.readAll()));
        const QList<QSize> sizes = w.window.windowIcon().availableSizes();
        for (int size : {16, 22, 24, 32, 48, 64})
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    }

    // A click on the map (angle 7 before, a reply begun): the angle and command, the status, the
    // receive buffer; 7 left means nothing changed.
    void click_data() {
        const QPoint up(102, 2), ne(152, 52);
        // clang-format off
        table<QPoint, QString, QString, QByteArray>({"point", "offset", "setup", "result"}, {
            {"centre", {102, 102}, "0", "open", "270 M270\r\n"},
            {"up", up, "0", "open", "0 M000\r\n"},
            {"north-east", ne, "0", "open", "45 M045\r\n"},
            {"6.28, not 2 pi", {2, 103}, "0", "open", "270 M270\r\n"},
            {"left of up", {101, 2}, "0", "open", "359 M359\r\n"},
            {"right of up", {103, 2}, "0", "open", "1 M001\r\n"},
            {"offset -10", {94, 12}, "-10", "open", "345 M345\r\n"},
            {"offset -390", up, "-390", "open", "-30 M-30\r\n"},
            {"four characters", up, "1000", "open", "1000 "},
            {"port closed", ne, "0", "closed", "45 "},
            {"past 16 bits", up, "40000", "open", "7 "},
            {"no rectangle", ne, "0", "none", "7 "},
            {"rectangle away", ne, "0", "away", "0 M000\r\n"},
        });
        // clang-format on
    }
    void click() {
        QFETCH(QString, setup);
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.platform.pointer.failRect = setup == "none";
        if (setup == "away")
            w.platform.pointer.rect = QRect(w.map()->mapToGlobal(QPoint(50, 50)), QSize(203, 205));
        w.platform.serial.feed("AZ=007\r\n");
        w.platform.serial.written.clear();
        w.link.setReceiveBuffer("AZ=1");
        if (setup == "closed")
            w.platform.serial.close();
        w.edit("offsetEdit")->setText(FETCHED(QString, offset));
        QTest::mouseClick(w.map(), Qt::LeftButton, {}, FETCHED(QPoint, point));
        const QString angle = w.label("commandedAngleLabel")->text();
        QCOMPARE(angle.toLatin1() + ' ' + w.platform.serial.written, FETCHED(QByteArray, result));
        const QString link = state(w.window, w.link).section('|', 0, 1);
        QCOMPARE(link,
                 angle != "7" && setup == "closed" ? "port = False|接続" : "Port = True|切断");
        QCOMPARE(w.link.receiveBuffer(), angle == "7" ? "AZ=1" : "");
    }

    // The pointers on a grey map as golden/pointers/ has them: left a repaint, right the box now.
    void pointers_data() {
        const QByteArray twice = "AZ=045\r\nAZ=200\r\n";
        // clang-format off
        table<QString, bool, bool, QByteArray>({"offset", "stopFirst", "atOnce", "replies"}, {
            {"first-045", "0", false, false, "AZ=045"},
            {"first-270", "0", false, false, "AZ=270"},
            {"first-450", "0", false, false, "AZ=450"},
            {"target-alone", "0", false, false, twice},
            {"offset-10", "10", false, false, "AZ=100\r\nAZ=200\r\n"},
            {"offset-abc-aims-at-the-target", "abc", false, false, twice},
            {"empty-offset", "", false, false, twice},
            {"stop-before-the-first-reply", "0", true, false, "AZ=090\r\n"},
            {"two-updates-in-one-event", "0", false, true, "AZ=010\r\nAZ=200\r\n"},
            {"nothing-before-a-whole-reply", "0", true, false, "AZ=12\r\nA\r\n"},
        });
        // clang-format on
    }
    void pointers() {
        QFETCH(QByteArray, replies);
        Shown w;
        QImage grey(200, 200, QImage::Format_RGB32);
        grey.fill(QColor(200, 200, 200));
        w.map()->setPicture(grey);
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.edit("offsetEdit")->setText(FETCHED(QString, offset));
        if (FETCHED(bool, stopFirst))
            w.button("stopButton")->click();
        if (FETCHED(bool, atOnce))
            w.platform.serial.feed(replies);
        else
            for (const QByteArray& reply : replies.split('\n'))
                w.platform.serial.feed(reply + '\n');
        const QString golden =
            QStringLiteral(ROTEKA_GOLDEN "/pointers/%1.png").arg(QTest::currentDataTag());
        QVERIFY(sameAsGolden(bothPictures(*w.map()), golden));
        w.window.hide();
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QCOMPARE(w.map()->screenImage(), w.map()->persistentImage());
    }

    // Long random runs of shapes and clears on the map box leave the pixels plain painting gives.
    void drawingMatchesPlainPainting() {
        QImage picture(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        const QColor colours[] = {QColor(0, 192, 0),
                                  QColor(255, 192, 128),
                                  QColor(0, 0, 255),
                                  QColor(255, 0, 0, 128),
                                  QColor::fromRgbF(0.3f, 0.61f, 0.77f),
                                  QColor::fromHsv(200, 255, 255)};
        for (const unsigned seed : {1u, 2u, 3u}) {
            PictureBox box;
            box.resize(204, 204);
            box.setPicture(picture);
            const QImage base = box.persistentImage().copy();
            QImage persistent = base, screen;
            bool screenOnly = false, kept = false;
            QPen pen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            std::mt19937 random(seed);
            const auto pick = [&](int count) {
                return std::uniform_int_distribution(0, count - 1)(random);
            };
            const auto any = [&] { return std::uniform_real_distribution(-600.0, 3600.0)(random); };
            for (int step = 0; step < 3000; ++step) {
                const int choice = pick(8);
                const QPointF a(any(), any()), b(any(), any());
                if (choice == 0) {
                    box.clearDrawing();
                    persistent = base;
                    screenOnly = false;
                } else if (choice == 1) {
                    box.setPersistentDrawing(kept = pick(2) == 1);
                } else if (choice < 4) {
                    const QColor colour = colours[pick(6)];
                    const int width = 1 + pick(8);
                    box.setPenWidth(width);
                    box.setPenColor(colour);
                    pen = QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
                } else {
                    if (!kept && !screenOnly)
                        screen = persistent.copy();
                    screenOnly = !kept;
                    QPainter painter(kept ? &persistent : &screen);
                    painter.setPen(pen);
                    if (choice < 6) {
                        box.line(a, b);
                        painter.drawLine((a / 15).toPoint(), (b / 15).toPoint());
                    } else {
                        box.circle(a, b.x());
                        painter.drawEllipse(a / 15, b.x() / 15, b.x() / 15);
                    }
                }
                QVERIFY2(box.screenImage() == (screenOnly ? screen : persistent) &&
                             box.persistentImage() == persistent,
                         qPrintable(QStringLiteral("seed %1, step %2").arg(seed).arg(step)));
            }
        }
    }

    // The operator's own 200 x 200 map where the map maker writes it (in XDG_DATA_HOME) is shown;
    // any other file there leaves the built-in map and is logged with the reason.
    void ownStationMap_data() {
        const QString size = "it is %1 x %1 pixels, not 200 x 200";
        // clang-format off
        table<QByteArray, bool, QString>({"content", "ownShown", "complaint"}, {
            {"own", "png 200", true, ""},
            {"too small", "png 199", false, size.arg(199)},
            {"too large", "png 201", false, size.arg(201)},
            {"broken PNG", "\x89PNG\r\n\x1a\n broken", false, ""},
            {"none", "none", false, ""},
        });
        // clang-format on
    }
    void ownStationMap() {
        QFETCH(QByteArray, content);
        QFETCH(bool, ownShown);
        QCoreApplication::setApplicationName("roteka");
        FakeStation station(UsualSettings, FakeStation::StartLater);
        const QString path = userMapPath();
        QCOMPARE(path, station.dir.path() + "/data/roteka/map.png");
        QImage own(content.mid(4).toInt(), content.mid(4).toInt(), QImage::Format_RGB32);
        own.fill(Qt::red);
        QDir().mkpath(station.dir.path() + "/data/roteka");
        if (content.startsWith("png "))
            own.save(path);
        else if (content != "none")
            station.dir.writeFile("data/roteka/map.png", content);
        LogRecorder log;
        MainWindow window(station.control, station.platform.pointer, station.presets);
        const QString said = "roteka.ui: " + path + " is not shown: " + FETCHED(QString, complaint);
        QCOMPARE(log.containing(said).size(), int(!ownShown && content != "none"));
        const QImage shown =
            ownShown ? own : QImage(":/roteka/map.png").convertToFormat(QImage::Format_RGB32);
        const QRect visible(0, 0, 199, 200);
        QCOMPARE(part<PictureBox>(window, "mapBox")->persistentImage().copy(visible),
                 shown.copy(visible));
    }
};

QTEST_MAIN(UiTest)
#include "test_ui.moc"

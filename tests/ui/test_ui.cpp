// The window as the operator sees it: both pages drawn pixel for pixel as the committed
// pictures in golden/ (captions, colours, fonts, the map, the pointers), what each control says
// and a screen reader reads, what a hidden page does with clicks, the keyboard focus order, the
// bearing of a click on the map, the map box's drawing, and the operator's own station map.
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

    // The window as golden/ shows it in each state, its size fixed.
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
        QCOMPARE(window.windowTitle(), "ROTEKA");
        QCOMPARE(window.minimumSize(), QSize(216, 316));
        QCOMPARE(window.maximumSize(), QSize(216, 316));
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

    // A click where a control of the hidden page lies reaches nothing; the keyboard focus goes
    // round each page; a switch turns back off.
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
        QCOMPARE(sw->palette().color(QPalette::Button), QColor(0xFF, 0xC0, 0xFF));
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

    // The device list, empty names left out; the drop-down, editable once its page is shown,
    // shows its prompt with none of its items chosen; the operator opens the list and clicks a
    // device, whose number goes into the port number box; a failing listing leaves it empty.
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
        QCOMPARE(part<QLineEdit>(w.window, "portNumberEdit")->text(), "12");
        QCOMPARE(w.control.portNumberField(), "12");
        FakeWindow failing(UsualSettings, FakeStation::StartLater);
        failing.platform.devices.fail = true;
        failing.control.startUp();
        QCOMPARE(part<QComboBox>(failing.window, "portCombo")->count(), 0);
    }

    // Replies quicker than the display's frames are shown together when the frame ends: what
    // is on the screen then is the window as it stands.
    void repaintsFollowTheReplies() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        for (int azimuth = 100; azimuth <= 190; azimuth += 10)
            w.platform.serial.feed(QStringLiteral("AZ=%1\r\n").arg(azimuth).toLatin1());
        QTest::qWait(200);
        const QImage screen = w.window.screen()->grabWindow(w.window.winId()).toImage();
        QCOMPARE(screen.convertToFormat(QImage::Format_RGB32),
                 w.window.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    // What each control says: its caption or text, tool tip, and what a screen reader reads
    // (name and description), as golden/controls.txt has it; the window icon's sizes.
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

    // A click on the map with the commanded angle 7 and a reply begun before it: the commanded
    // angle and the command sent, the status line and connect caption, and the receive buffer
    // afterwards. The port may be closed; the box's rectangle may be none to be had, or one the
    // window system reports 50 px away. An angle left at 7 means the click changed nothing.
    void click_data() {
        const QPoint centre(102, 102), up(102, 2), ne(152, 52);
        // clang-format off
        table<QPoint, QString, QString, QString, QString, QByteArray>({"point", "offset", "port", "box", "angle", "sent"}, {
            {"centre", centre, "0", "open", "real", "270", "M270\r\n"},
            {"up", up, "0", "open", "real", "0", "M000\r\n"},
            {"right", {200, 102}, "0", "open", "real", "90", "M090\r\n"},
            {"down", {102, 201}, "0", "open", "real", "180", "M180\r\n"},
            {"north-east", ne, "0", "open", "real", "45", "M045\r\n"},
            {"north-west", {52, 52}, "0", "open", "real", "315", "M315\r\n"},
            {"6.28, not 2 pi", {2, 103}, "0", "open", "real", "270", "M270\r\n"},
            {"left of up", {101, 2}, "0", "open", "real", "359", "M359\r\n"},
            {"right of up", {103, 2}, "0", "open", "real", "1", "M001\r\n"},
            {"offset 10", {94, 12}, "10", "open", "real", "5", "M005\r\n"},
            {"offset -10", {94, 12}, "-10", "open", "real", "345", "M345\r\n"},
            {"offset -390", up, "-390", "open", "real", "-30", "M-30\r\n"},
            {"four characters", up, "1000", "open", "real", "1000", ""},
            {"port closed", ne, "0", "closed", "real", "45", ""},
            {"past 16 bits", up, "40000", "open", "real", "7", ""},
            {"no rectangle", ne, "0", "closed", "none", "7", ""},
            {"rectangle away", ne, "0", "open", "away", "0", "M000\r\n"},
        });
        // clang-format on
    }
    void click() {
        QFETCH(QString, port);
        QFETCH(QString, box);
        QFETCH(QString, angle);
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.platform.pointer.failRect = box == "none";
        if (box == "away")
            w.platform.pointer.rect = QRect(w.map()->mapToGlobal(QPoint(50, 50)), QSize(203, 205));
        w.platform.serial.feed("AZ=007\r\n");
        w.platform.serial.written.clear();
        w.link.setReceiveBuffer("AZ=1");
        if (port == "closed")
            w.platform.serial.close();
        w.edit("offsetEdit")->setText(FETCHED(QString, offset));
        QTest::mouseClick(w.map(), Qt::LeftButton, {}, FETCHED(QPoint, point));
        QCOMPARE(w.label("commandedAngleLabel")->text(), angle);
        QCOMPARE(w.platform.serial.written, FETCHED(QByteArray, sent));
        const QString link = state(w.window, w.link).section('|', 0, 1);
        QCOMPARE(link, angle != "7" && port == "closed" ? "port = False|接続" : "Port = True|切断");
        QCOMPARE(w.link.receiveBuffer(), angle == "7" ? "AZ=1" : "");
    }

    // The pointers on a plain grey map, drawn for the replies fed one by one (or all at once), the
    // stop button pressed first or not, as the pictures in golden/pointers/ show them (left what a
    // repaint shows, right what the box shows now): blue the azimuth (80 px), green the target
    // (87 px), orange the target less the offset, the ring in the last colour drawn. A window
    // shown anew shows what a repaint shows.
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

    // The map box keeps shapes as the pixels they cover and a clear puts back only what drawing
    // touched: long random runs must leave exactly the pixels that plain painting gives (a clear
    // copies the whole picture back, every shape is painted with QPainter). Seed 1: the pointers
    // as the window draws them; 2 and 3: shapes anywhere, any width, colours that cannot be kept
    // as pixels (translucent, finer than 8 bits).
    void drawingMatchesPlainPainting() {
        QImage picture(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                picture.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        const QList<QColor> colours{QColor(0, 192, 0),
                                    QColor(255, 192, 128),
                                    QColor(0, 0, 255),
                                    Qt::black,
                                    Qt::white,
                                    QColor(255, 0, 0, 128),
                                    QColor::fromRgbF(0.3f, 0.61f, 0.77f),
                                    QColor::fromHsv(200, 255, 255)};
        for (const unsigned seed : {1u, 2u, 3u}) {
            PictureBox box;
            box.resize(204, 204);
            box.setPicture(picture);
            const QImage base = box.persistentImage().copy();
            QImage persistent = base, screen;
            bool screenOnly = false, persistentDrawing = false;
            QPen pen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            const auto paint = [&](auto&& draw) {
                if (!persistentDrawing && !screenOnly)
                    screen = persistent.copy();
                screenOnly = !persistentDrawing;
                QPainter painter(persistentDrawing ? &persistent : &screen);
                painter.setPen(pen);
                draw(painter);
            };
            std::mt19937 random(seed);
            const auto uniform = [&](double low, double high) {
                return std::uniform_real_distribution<double>(low, high)(random);
            };
            const auto pick = [&](int count) {
                return std::uniform_int_distribution<int>(0, count - 1)(random);
            };
            const auto setPen = [&](int width, const QColor& colour) {
                box.setPenWidth(width);
                box.setPenColor(colour);
                pen.setWidth(width);
                pen.setColor(colour);
            };
            const auto line = [&](QPointF from, QPointF to) {
                box.line(from, to);
                paint([&](QPainter& p) { p.drawLine((from / 15).toPoint(), (to / 15).toPoint()); });
            };
            const auto circle = [&](QPointF centre, double radius) {
                box.circle(centre, radius);
                paint([&](QPainter& p) { p.drawEllipse(centre / 15, radius / 15, radius / 15); });
            };
            const auto clear = [&] {
                box.clearDrawing();
                persistent = base;
                screenOnly = false;
            };
            const auto anywhere = [&] { return QPointF(uniform(-600, 3600), uniform(-600, 3600)); };
            const QPointF centre(1530, 1530);
            for (int step = 0; step < 3000; ++step) {
                const int choice = seed == 1 ? 8 : pick(8);
                if (choice == 0) {
                    clear();
                } else if (choice == 1) {
                    box.setPersistentDrawing(persistentDrawing = pick(2) == 1);
                } else if (choice == 2) {
                    setPen(1 + pick(8), pen.color());
                } else if (choice == 3) {
                    setPen(pen.width(), colours[pick(int(colours.size()))]);
                } else if (choice < 6) {
                    line(anywhere(), anywhere());
                } else if (choice < 8) {
                    circle(anywhere(), uniform(-300, 2500));
                } else {
                    const double a = pick(360) * M_PI / 180.0;
                    box.setPersistentDrawing(persistentDrawing = true);
                    clear();
                    setPen(4, colours[0]);
                    line(centre, centre + QPointF(1300 * std::sin(a / 2), -1300 * std::cos(a / 2)));
                    setPen(3, colours[1]);
                    circle(centre, 150);
                    setPen(3, colours[2]);
                    line(centre, centre + QPointF(1400 * std::sin(a), -1400 * std::cos(a)));
                }
                QVERIFY2(box.screenImage() == (screenOnly ? screen : persistent) &&
                             box.persistentImage() == persistent,
                         qPrintable(QStringLiteral("seed %1, step %2").arg(seed).arg(step)));
            }
        }
    }

    // The operator's own map, as roteka-mapgen writes it where ROTEKA looks (in XDG_DATA_HOME),
    // is shown in place of the built-in one; a file that is there but is no 200 x 200 picture
    // leaves the built-in map and is logged with the reason.
    void ownStationMap_data() {
        const QString size = "it is %1 x %1 pixels, not 200 x 200";
        // clang-format off
        table<QByteArray, bool, QString>({"content", "ownShown", "complaint"}, {
            {"as written", "", true, ""},
            {"too small", "png 100", false, size.arg(100)},
            {"too large", "png 400", false, size.arg(400)},
            {"no picture", "3,9600,N,8,1:0\r\n", false, ""},
            {"broken PNG", "\x89PNG\r\n\x1a\n broken", false, ""},
            {"none", "none", false, ""},
        });
        // clang-format on
    }
    void ownStationMap() {
        QFETCH(QByteArray, content);
        QCoreApplication::setApplicationName("roteka");
        FakeStation station(UsualSettings, FakeStation::StartLater);
        const TestDirectory& dir = station.dir;
        QProcess mapgen;
        mapgen.start(ROTEKA_MAPGEN, {"--locator", "IO91wm"});
        QVERIFY(mapgen.waitForFinished(10000) && mapgen.exitCode() == 0);
        const QString path = dir.path() + "/data/roteka/map.png";
        QCOMPARE(userMapPath(), path);
        QVERIFY(mapgen.readAllStandardOutput().contains(path.toUtf8()));
        const QImage own(path), builtIn(":/roteka/map.png");
        QVERIFY(own != builtIn);
        if (content == "none") {
            QFile::remove(path);
        } else if (content.startsWith("png ")) {
            QImage image(content.mid(4).toInt(), content.mid(4).toInt(), QImage::Format_RGB32);
            image.fill(Qt::red);
            image.save(path);
        } else if (!content.isEmpty()) {
            dir.writeFile("data/roteka/map.png", content);
        }
        LogRecorder log;
        MainWindow window(station.control, station.platform.pointer, station.presets);
        const bool complained = content != "none" && !content.isEmpty();
        const QString said = "roteka.ui: " + path + " is not shown: " + FETCHED(QString, complaint);
        QCOMPARE(log.containing(said).size(), int(complained));
        const QImage shown = FETCHED(bool, ownShown) ? own : builtIn;
        const QRect visible(0, 0, 199, 200);
        QCOMPARE(part<PictureBox>(window, "mapBox")->persistentImage().copy(visible),
                 shown.convertToFormat(QImage::Format_RGB32).copy(visible));
    }
};

QTEST_MAIN(UiTest)
#include "test_ui.moc"

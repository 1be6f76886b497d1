// The operator's hand: Esc stops from anywhere, the map's menu (this direction, the long path, a
// locator, the presets) and its dialogs, and Ctrl+1 to Ctrl+0, on the real window off screen with
// the control on the fake port.
#include "LogRecorder.h"
#include "Stations.h"

#include "ui/MapDialogs.h"
#include "ui/MapMenu.h"

#include <QApplication>
#include <QSpinBox>
#include <QTabBar>

#include <functional>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

const GeoPoint Tokyo{35.68, 139.77};

// The window after start-up on the fake port, a report of 90 taken, shown and active.
struct Shown : FakeWindow {
    Shown() {
        platform.serial.feed("AZ=090\r\n");
        platform.serial.written.clear();
        window.show();
        window.activateWindow();
    }
    PictureBox* map() { return part<PictureBox>(window, "mapBox"); }
    void showPage(int index) { part<TabControl>(window, "pages")->setCurrentIndex(index); }
    // The keys, through the window system to whatever has the focus.
    void press(QKeySequence keys) { QTest::keySequence(window.windowHandle(), keys); }
};

// The captions of a menu's entries, "-" for a separator, a submenu's entries in brackets.
QStringList captions(const QMenu* menu) {
    QStringList shown;
    for (const QAction* action : menu->actions()) {
        shown << (action->isSeparator() ? u"-"_s
                                        : action->text() + (action->isEnabled() ? "" : " (off)"));
        if (action->menu())
            shown << "[" + captions(action->menu()).join(" | ") + "]";
    }
    return shown;
}

QAction* entry(const QMenu* menu, const QString& caption) {
    for (QAction* action : menu->actions()) {
        if (action->text() == caption)
            return action;
        if (action->menu())
            if (QAction* inside = entry(action->menu(), caption))
                return inside;
    }
    qFatal("no entry %s", qPrintable(caption));
}

template <class Field> Field* field(QWidget* dialog, const QString& name) {
    return part<Field>(*dialog, name);
}

} // namespace

class MapMenuTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    // Esc does what the stop button does, whatever has the focus, on both pages.
    void escapeStops_data() {
        // clang-format off
        table<int, QString>({"page", "focus"}, {
            {"map", 0, "mapBox"},
            {"turn left button", 0, "turnLeftButton"},
            {"command field", 1, "commandEdit"},
            {"offset field", 1, "offsetEdit"},
            {"port list", 1, "portCombo"},
        });
        // clang-format on
    }
    void escapeStops() {
        Shown byButton, byKey;
        QVERIFY(QTest::qWaitForWindowActive(&byKey.window));
        byButton.control.turnToBearing(200);
        byKey.control.turnToBearing(200);
        byButton.platform.serial.written.clear();
        byKey.platform.serial.written.clear();
        byKey.showPage(FETCHED(int, page));
        part<QWidget>(byKey.window, FETCHED(QString, focus))->setFocus();
        byKey.press(Qt::Key_Escape);
        part<QPushButton>(byButton.window, "stopButton")->click();
        QCOMPARE(byKey.platform.serial.written, "A\r\n");
        QCOMPARE(state(byKey.window, byKey.link), state(byButton.window, byButton.link));
    }

    // A right click on the map opens the menu of four entries; the presets come first in their
    // submenu, in their order; a full list cannot take one more; no station, no locator.
    void menuEntries() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QStringList seen;
        whenOpen<QMenu>([&](QMenu* menu) {
            seen = captions(menu);
            menu->close();
        });
        QTest::mouseClick(w.window.windowHandle(), Qt::RightButton, {},
                          w.map()->mapTo(&w.window, QPoint(152, 52)));
        QVERIFY(waitFor([&] { return !seen.isEmpty(); }));
        QCOMPARE(seen,
                 QStringList({"この方向へ回転", "ロングパス（反対方向）へ回転",
                              "ロケーターへ回転...", "プリセット",
                              "[この方向をプリセットに登録... | プリセットを削除 (off) | []]"}));
        QCOMPARE(w.platform.serial.written, QByteArray());
        for (int i = 0; i < 10; ++i)
            QVERIFY(w.presets.add({QStringLiteral("P%1").arg(i + 1), i * 30}));
        MapMenu full(45, w.control, w.presets, std::nullopt);
        QCOMPARE(captions(full.actions()[3]->menu()).mid(0, 2),
                 QStringList({"P1 (000°)", "P2 (030°)"}));
        QVERIFY(!entry(&full, "この方向をプリセットに登録...")->isEnabled());
        QVERIFY(!entry(&full, "ロケーターへ回転...")->isEnabled());
        MapMenu located(45, w.control, w.presets, Tokyo);
        QVERIFY(entry(&located, "ロケーターへ回転...")->isEnabled());
    }

    // Each entry turns as a click on the map at its bearing would: the bearing itself, its long
    // path, a preset's; on a closed port the same as a click there.
    void turns_data() {
        const QString here = "この方向へ回転", away = "ロングパス（反対方向）へ回転";
        // clang-format off
        table<double, QString, QString, bool, QByteArray, QString>({"bearing", "entry", "offset", "closed", "sent", "angle"}, {
            {"this direction", 45, here, "10", false, "M055\r\n", "55"},
            {"long path", 45, away, "0", false, "M225\r\n", "225"},
            {"long path past north", 300.4, away, "0", false, "M120\r\n", "120"},
            {"long path of north-west", -44.98, away, "5", false, "M140\r\n", "140"},
            {"preset", 45, "EU (315°)", "10", false, "M325\r\n", "325"},
            {"closed port", 45, away, "0", true, "", "225"},
            {"preset, closed port", 45, "EU (315°)", "0", true, "", "315"},
        });
        // clang-format on
    }
    void turns() {
        QFETCH(bool, closed);
        Shown w;
        w.presets.add({"EU", 315});
        w.control.setOffsetField(FETCHED(QString, offset));
        if (closed)
            w.platform.serial.close();
        MapMenu menu(FETCHED(double, bearing), w.control, w.presets, Tokyo);
        entry(&menu, FETCHED(QString, entry))->trigger();
        QCOMPARE(w.platform.serial.written, FETCHED(QByteArray, sent));
        QCOMPARE(commandedAngleText(w.control.commandedAngle()), FETCHED(QString, angle));
        QCOMPARE(w.control.statusLine(), closed ? "port = False" : "Port = True");
    }

    // The locator dialog shows the paths as a locator is typed, or why the text is none (the turn
    // buttons off then); its buttons turn along the path chosen, or not at all.
    void locatorDialog_data() {
        const QString london = "ショートパス 336°　9,561 km\nロングパス 156°";
        // clang-format off
        table<QString, QString, QString, QByteArray>({"typed", "shown", "button", "sent"}, {
            {"London, short", "IO91wm", london, "ショートパス", "M336\r\n"},
            {"London, long", "io91WM", london, "ロングパス", "M156\r\n"},
            {"cancelled", "JO01", "ショートパス 336°　9,522 km\nロングパス 156°", "キャンセル", ""},
            {"too short", "IO9", "ロケーターは4・6・8文字です。", "", ""},
            {"bad field", "SS00", "1・2文字目はA～Rの英字です。", "", ""},
            {"bad square", "IOA1", "3・4文字目は数字です。", "", ""},
            {"bad subsquare", "IO91zz", "5・6文字目はA～Xの英字です。", "", ""},
            {"bad extended", "IO91wmab", "7・8文字目は数字です。", "", ""},
        });
        // clang-format on
    }
    void locatorDialog() {
        QFETCH(QString, button);
        Shown w;
        MapMenu menu(0, w.control, w.presets, Tokyo, &w.window);
        QString shown;
        bool turnable = true;
        whenOpen<LocatorDialog>([&](LocatorDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), "ロケーターへ回転");
            QCOMPARE(dialog->accessibleName(), "ロケーターへ回転");
            auto* edit = field<QLineEdit>(dialog, "ロケーター");
            QCOMPARE(edit->accessibleName(), "ロケーター");
            QTest::keyClicks(edit, FETCHED(QString, typed));
            shown = part<QLabel>(*dialog, "paths")->text();
            turnable = field<QPushButton>(dialog, "ショートパス")->isEnabled() &&
                       field<QPushButton>(dialog, "ロングパス")->isEnabled();
            field<QPushButton>(dialog, button.isEmpty() ? "キャンセル" : button)->click();
        });
        entry(&menu, "ロケーターへ回転...")->trigger();
        QCOMPARE(shown, FETCHED(QString, shown));
        QCOMPARE(turnable, !button.isEmpty());
        QCOMPARE(w.platform.serial.written, FETCHED(QByteArray, sent));
    }

    // Registering: a name is needed; the bearing is the clicked one, editable; the preset is kept
    // in the file and shown first in the submenu; deleting it takes it away.
    void registerAndDelete() {
        Shown w;
        MapMenu menu(-44.98, w.control, w.presets, Tokyo, &w.window);
        bool needsName = false;
        int offered = -1;
        whenOpen<PresetDialog>([&](PresetDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), "プリセット登録");
            QPushButton* ok = field<QPushButton>(dialog, "登録");
            needsName = !ok->isEnabled();
            auto* bearing = field<QSpinBox>(dialog, "方位");
            offered = bearing->value();
            bearing->setValue(359);
            field<QLineEdit>(dialog, "名前")->setText(" ヨーロッパ ");
            ok->click();
        });
        entry(&menu, "この方向をプリセットに登録...")->trigger();
        QVERIFY(needsName);
        QCOMPARE(offered, 315);
        QCOMPARE(w.presets.all(), QList<Preset>({{"ヨーロッパ", 359}}));
        Presets again(w.dir.path() + "/roteka.conf", w.platform.messages);
        again.load();
        QCOMPARE(again.all(), w.presets.all());
        MapMenu next(0, w.control, w.presets, Tokyo);
        QCOMPARE(captions(next.actions()[3]->menu()),
                 QStringList({"ヨーロッパ (359°)", "-", "この方向をプリセットに登録...",
                              "プリセットを削除", "[ヨーロッパ (359°)]"}));
        entry(next.actions()[3]->menu()->actions().last()->menu(), "ヨーロッパ (359°)")->trigger();
        QCOMPARE(w.presets.all(), QList<Preset>());
        again.load();
        QCOMPARE(again.all(), QList<Preset>());
        QCOMPARE(w.platform.serial.written, QByteArray());
    }

    // Ctrl+1 to Ctrl+9 and Ctrl+0 turn to presets 1 to 10 from anywhere in the window; a key
    // without a preset does nothing.
    void presetKeys() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        for (int i = 0; i < 10; ++i)
            w.presets.add({QStringLiteral("P%1").arg(i + 1), 10 + i});
        w.showPage(1);
        part<QLineEdit>(w.window, "commandEdit")->setFocus();
        for (const Qt::Key key : {Qt::Key_1, Qt::Key_9, Qt::Key_0})
            w.press(QKeySequence(Qt::CTRL | key));
        QCOMPARE(w.platform.serial.written, "M010\r\nM018\r\nM019\r\n");
        w.presets.remove(9);
        w.press(QKeySequence(Qt::CTRL | Qt::Key_0));
        QCOMPARE(w.platform.serial.written, "M010\r\nM018\r\nM019\r\n");
    }

    // The menu key or Shift+F10 on the map: the menu is for the commanded angle's bearing.
    void keyboardMenu() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.control.setOffsetField("10");
        w.control.turnToBearing(100); // commands 110
        w.platform.serial.written.clear();
        w.map()->setFocus();
        for (const QKeySequence& keys :
             {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
            bool opened = false;
            whenOpen<QMenu>([&](QMenu* menu) {
                opened = true;
                entry(menu, "ロングパス（反対方向）へ回転")->trigger();
                menu->close();
            });
            w.press(keys);
            QVERIFY(waitFor([&] { return opened; }));
        }
        QCOMPARE(w.platform.serial.written, "M290\r\nM110\r\n");
    }
};

QTEST_MAIN(MapMenuTest)
#include "test_map_menu.moc"

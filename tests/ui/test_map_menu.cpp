// The operator's hand on the window: Esc, Ctrl+1 to Ctrl+0, the map's menu and its dialogs.
#include "Stations.h"

#include "ui/MapDialogs.h"
#include "ui/MapMenu.h"

#include <QSpinBox>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

const GeoPoint Tokyo{35.68, 139.77};
const QString LongPath = u"ロングパス（反対方向）へ回転"_s,
              Add = u"この方向をプリセットに登録..."_s;

// The window after start-up on the fake port, a report of 90 taken, shown and active.
struct Shown : FakeWindow {
    Shown() {
        platform.serial.feed("AZ=090\r\n");
        platform.serial.written.clear();
        window.show();
        window.activateWindow();
    }
    void press(QKeySequence keys) { QTest::keySequence(window.windowHandle(), keys); }
};

// A menu's captions, "-" a separator, " (off)" after a disabled entry, a submenu's in brackets.
QString captions(const QMenu* menu) {
    QStringList shown;
    for (const QAction* action : menu->actions())
        shown << (action->isSeparator() ? u"-"_s
                                        : action->text() + (action->isEnabled() ? "" : " (off)")) +
                     (action->menu() ? " [" + captions(action->menu()) + "]" : "");
    return shown.join(" | ");
}

QAction* entry(const QMenu* menu, const QString& caption) {
    for (QAction* action : menu->findChildren<QAction*>())
        if (action->text() == caption)
            return action;
    qFatal("no entry %s", qPrintable(caption));
}

} // namespace

class MapMenuTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(u"Fusion"_s); }

    // Ctrl+1 and Ctrl+0 turn to presets 1 and 10 (none there, no turn) and Esc stops, on both
    // pages whatever has the focus. A full list takes no more; no station, no locator.
    void keys_data() {
        table<int, QString>({"page", "focus"}, {{"map", 0, "mapBox"},
                                                {"command field", 1, "commandEdit"},
                                                {"port list", 1, "portCombo"}});
    }
    void keys() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        for (int i = 0; i < 10; ++i)
            w.presets.add({u"P%1"_s.arg(i + 1), 10 + i});
        part<TabControl>(w.window, "pages")->setCurrentIndex(FETCHED(int, page));
        part<QWidget>(w.window, FETCHED(QString, focus))->setFocus();
        w.press(QKeySequence(Qt::CTRL | Qt::Key_1));
        w.press(QKeySequence(Qt::CTRL | Qt::Key_0));
        const MapMenu full(45, w.control, w.presets, std::nullopt);
        w.presets.remove(9);
        w.press(QKeySequence(Qt::CTRL | Qt::Key_0));
        w.press(Qt::Key_Escape);
        QVERIFY(!entry(&full, Add)->isEnabled() &&
                !entry(&full, "ロケーターへ回転...")->isEnabled());
        QCOMPARE(w.platform.serial.written + state(w.window, w.link),
                 "M010\r\nM019\r\nA\r\nPort = True|切断|90|90|設定角度 ＝|");
    }

    // The map's menu on a right click (nothing sent), the menu key and Shift+F10; registering and
    // deleting a preset.
    void menu() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.control.setOffsetField("10");
        w.control.turnToBearing(100);
        PictureBox* map = part<PictureBox>(w.window, "mapBox");
        map->setFocus();
        QStringList seen;
        for (const QKeySequence& keys :
             {QKeySequence(), QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
            const qsizetype before = seen.size();
            whenOpen<QMenu>([&](QMenu* menu) {
                seen << captions(menu);
                if (!keys.isEmpty())
                    entry(menu, LongPath)->trigger();
                menu->close();
            });
            if (keys.isEmpty())
                QTest::mouseClick(w.window.windowHandle(), Qt::RightButton, {},
                                  map->mapTo(&w.window, QPoint(152, 52)));
            else
                w.press(keys);
            QVERIFY(waitFor([&] { return seen.size() > before; }));
        }
        QCOMPARE(seen[0], "この方向へ回転 | " + LongPath + " | ロケーターへ回転... | プリセット [" +
                              Add + " | プリセットを削除 (off) []]");
        QStringList offered;
        whenOpen<PresetDialog>([&](PresetDialog* dialog) {
            QPushButton* ok = part<QPushButton>(*dialog, "登録");
            auto* bearing = part<QSpinBox>(*dialog, "方位");
            offered << dialog->windowTitle() << (ok->isEnabled() ? "on" : "off") << bearing->text();
            bearing->setValue(359);
            part<QLineEdit>(*dialog, "名前")->setText(" ヨーロッパ ");
            ok->click();
        });
        entry(std::make_unique<MapMenu>(-44.98, w.control, w.presets, Tokyo, &w.window).get(), Add)
            ->trigger();
        QCOMPARE(offered, QStringList({"プリセット登録", "off", "315°"}));
        const QString europe = "ヨーロッパ (359°)";
        MapMenu next(0, w.control, w.presets, Tokyo);
        QCOMPARE(captions(next.actions()[3]->menu()),
                 europe + " | - | " + Add + " | プリセットを削除 [" + europe + "]");
        QCOMPARE(w.presets.all(), QList<Preset>({{"ヨーロッパ", 359}}));
        next.findChildren<QAction*>().last()->trigger(); // the last entry deletes the last preset
        QCOMPARE(w.presets.all().size(), 0);
        QCOMPARE(w.platform.serial.written, "M110\r\nM290\r\nM110\r\n");
    }

    // Each entry turns as a click on the map at its bearing would (offset 10); on a closed port
    // too.
    void turns_data() {
        const QString here = "この方向へ回転";
        // clang-format off
        table<double, QString, bool, QByteArray>({"bearing", "entry", "closed", "sent"}, {
            {"this direction", 45, here, false, "M055\r\n55"},
            {"long path past north", 300.4, LongPath, false, "M130\r\n130"},
            {"long path of north-west", -44.98, LongPath, false, "M145\r\n145"},
            {"preset", 45, "EU (005°)", false, "M015\r\n15"},
            {"closed port", 45, LongPath, true, "235"},
        });
        // clang-format on
    }
    void turns() {
        Shown w;
        w.presets.add({"EU", 5});
        w.control.setOffsetField("10");
        if (FETCHED(bool, closed))
            w.platform.serial.close();
        MapMenu menu(FETCHED(double, bearing), w.control, w.presets, Tokyo);
        entry(&menu, FETCHED(QString, entry))->trigger();
        QCOMPARE(w.platform.serial.written +
                     commandedAngleText(w.control.commandedAngle()).toLatin1(),
                 FETCHED(QByteArray, sent));
    }

    // The locator dialog shows both paths, or why the text is none and no turning; its buttons
    // turn along the path chosen, or not at all.
    void locatorDialog_data() {
        const QString london = "ショートパス 336°　9,561 km\nロングパス 156°";
        // clang-format off
        table<QString, QString, QString, QByteArray>({"typed", "shown", "button", "sent"}, {
            {"short path", "IO91wm", london, "ショートパス", "M336\r\n"},
            {"long path", "io91WM", london, "ロングパス", "M156\r\n"},
            {"cancelled", "IO91wm", london, "キャンセル", ""},
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
        QStringList seen;
        whenOpen<LocatorDialog>([&](LocatorDialog* dialog) {
            auto* edit = part<QLineEdit>(*dialog, "ロケーター");
            QTest::keyClicks(edit, FETCHED(QString, typed));
            const auto on = [&](const char* name) {
                return part<QPushButton>(*dialog, name)->isEnabled();
            };
            seen << dialog->windowTitle() + "/" + edit->accessibleName()
                 << part<QLabel>(*dialog, "paths")->text()
                 << (on("ショートパス") || on("ロングパス") ? "on" : "");
            part<QPushButton>(*dialog, button.isEmpty() ? "キャンセル" : button)->click();
        });
        entry(&menu, "ロケーターへ回転...")->trigger();
        QCOMPARE(seen, QStringList({"ロケーターへ回転/ロケーター", FETCHED(QString, shown),
                                    button.isEmpty() ? "" : "on"}));
        QCOMPARE(w.platform.serial.written, FETCHED(QByteArray, sent));
    }
};

QTEST_MAIN(MapMenuTest)
#include "test_map_menu.moc"

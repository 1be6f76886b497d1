#include "ui/MapMenu.h"

#include "control/OperatorControl.h"
#include "control/Presets.h"
#include "ui/MapDialogs.h"

#include <cmath>

namespace roteka {

namespace {

// A bearing in [0, 360).
double normalised(double bearing) {
    const double turned = std::fmod(bearing, 360.0);
    return turned < 0 ? turned + 360 : turned;
}

} // namespace

QString presetCaption(const QString& name, int bearing) {
    return QStringLiteral("%1 (%2°)").arg(name).arg(bearing, 3, 10, QLatin1Char('0'));
}

MapMenu::MapMenu(double bearing, OperatorControl& control, Presets& presets,
                 std::optional<GeoPoint> station, QWidget* parent)
    : QMenu(parent) {
    OperatorControl* c = &control;
    addAction(QStringLiteral("この方向へ回転"), c, [c, bearing] { c->turnToBearing(bearing); });
    addAction(QStringLiteral("ロングパス（反対方向）へ回転"), c,
              [c, bearing] { c->turnToBearing(normalised(bearing + 180)); });
    QAction* locator = addAction(QStringLiteral("ロケーターへ回転..."), c, [c, station, parent] {
        LocatorDialog dialog(*station, parent);
        if (dialog.exec() == QDialog::Accepted && dialog.chosenBearing())
            c->turnToBearing(*dialog.chosenBearing());
    });
    locator->setEnabled(station.has_value());

    QMenu* menu = addMenu(QStringLiteral("プリセット"));
    const QList<Preset>& all = presets.all();
    for (const Preset& preset : all)
        menu->addAction(presetCaption(preset.name, preset.bearing), c,
                        [c, preset] { c->turnToBearing(preset.bearing); });
    if (!all.isEmpty())
        menu->addSeparator();
    const int whole = qRound(normalised(bearing)) % 360;
    QAction* add = menu->addAction(QStringLiteral("この方向をプリセットに登録..."), this,
                                   [&presets, whole, parent] {
                                       PresetDialog dialog(whole, parent);
                                       if (dialog.exec() == QDialog::Accepted)
                                           presets.add({dialog.name(), dialog.bearing()});
                                   });
    add->setEnabled(!presets.full());
    QMenu* remove = menu->addMenu(QStringLiteral("プリセットを削除"));
    for (int i = 0; i < all.size(); ++i)
        remove->addAction(presetCaption(all[i].name, all[i].bearing), this,
                          [&presets, i] { presets.remove(i); });
    remove->setEnabled(!all.isEmpty());
}

} // namespace roteka

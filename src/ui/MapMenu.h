#pragma once

#include "rules/Locator.h"

#include <QMenu>

#include <optional>

namespace roteka {

class OperatorControl;
class Presets;

// Responsibilities: the map's menu for a bearing (a right click's, or the commanded one): turn
// there; turn to the long path, the opposite bearing; turn to a locator through its dialog
// (disabled when the station is not known); the presets: turn to one, register the bearing as one
// through its dialog (disabled when there are as many as there may be), delete one. Every turn
// goes to the operator's control as a click on the map at that bearing would.
class MapMenu : public QMenu {
    Q_OBJECT
public:
    MapMenu(double bearing, OperatorControl& control, Presets& presets,
            std::optional<GeoPoint> station, QWidget* parent = nullptr);
};

// A preset as its entry shows it: "NAME (DDD°)".
QString presetCaption(const QString& name, int bearing);

} // namespace roteka

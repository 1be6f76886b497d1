#pragma once

#include "rules/Locator.h"

#include <QImage>
#include <QStandardPaths>
#include <QString>

namespace roteka {

// The operator's own station map: map.png in the program's per-user data directory
// (${XDG_DATA_HOME:-~/.local/share}/roteka on Linux, for the application name "roteka"), where
// roteka-mapgen writes it and the window reads it.
inline QString userMapPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/map.png");
}

// The station map to show: the file when it is a readable 200 x 200 image, else the built-in
// map. A file that is there but cannot be used is logged with the reason.
QImage stationMap(const QString& userFile);

// The station at the map's centre, as the map records it (roteka-mapgen writes it into every
// map); none when it records none, or nothing readable.
std::optional<GeoPoint> mapStation(const QImage& map);

} // namespace roteka

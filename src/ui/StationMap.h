#pragma once

#include <QImage>
#include <QString>

namespace roteka {

// The operator's own station map: map.png in the program's per-user data directory
// (${XDG_DATA_HOME:-~/.local/share}/roteka on Linux), where roteka-mapgen writes it.
QString userMapPath();

// The station map to show: the file when it is a readable 200 x 200 image, else the built-in
// map. A file that is there but cannot be used is named on stderr with the reason.
QImage stationMap(const QString& userFile);

} // namespace roteka

#include "ui/StationMap.h"

#include "ui/Logging.h"

#include <QFileInfo>
#include <QImageReader>

namespace roteka {

namespace {

constexpr QSize MapSize(200, 200);

} // namespace

QImage stationMap(const QString& userFile) {
    const QString builtIn = QStringLiteral(":/roteka/map.png");
    if (!QFileInfo::exists(userFile))
        return QImage(builtIn);
    QImageReader reader(userFile);
    QImage map;
    QString reason;
    if (!reader.read(&map))
        reason = reader.errorString();
    else if (map.size() != MapSize)
        reason = QStringLiteral("it is %1 x %2 pixels, not 200 x 200")
                     .arg(map.width())
                     .arg(map.height());
    if (reason.isEmpty())
        return map;
    qCWarning(lcUi).noquote() << userFile << "is not shown:" << reason;
    return QImage(builtIn);
}

std::optional<GeoPoint> mapStation(const QImage& map) {
    return parseStationText(map.text(QLatin1String(StationTextKey)));
}

} // namespace roteka

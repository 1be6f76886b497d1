#include "ui/StationMap.h"

#include <QFileInfo>
#include <QImageReader>

#include <cstdio>

namespace roteka {

namespace {

constexpr QSize MapSize(200, 200);

QString sizeReason(const QSize& size) {
    return QStringLiteral("it is %1 x %2 pixels, not 200 x 200")
        .arg(size.width())
        .arg(size.height());
}

} // namespace

QImage stationMap(const QString& userFile) {
    const QString builtIn = QStringLiteral(":/roteka/map.png");
    if (!QFileInfo::exists(userFile))
        return QImage(builtIn);
    QImageReader reader(userFile);
    QImage map;
    QString reason;
    if (reader.size().isValid() && reader.size() != MapSize)
        reason = sizeReason(reader.size());
    else if (!reader.read(&map))
        reason = reader.errorString();
    else if (map.size() != MapSize)
        reason = sizeReason(map.size());
    if (reason.isEmpty())
        return map;
    std::fprintf(stderr, "roteka: %s is not shown: %s\n", qPrintable(userFile), qPrintable(reason));
    return QImage(builtIn);
}

} // namespace roteka

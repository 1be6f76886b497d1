#include "ui/StationMap.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>

#include <cstdio>

namespace roteka {

QString userMapPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/map.png");
}

QImage stationMap(const QString& userFile) {
    const QImage builtIn(QStringLiteral(":/roteka/map.png"));
    if (!QFileInfo::exists(userFile))
        return builtIn;
    QImageReader reader(userFile);
    QImage map;
    QString reason;
    if (reader.size().isValid() && reader.size() != builtIn.size())
        reason = QStringLiteral("it is %1 x %2 pixels, not 200 x 200")
                     .arg(reader.size().width())
                     .arg(reader.size().height());
    else if (!reader.read(&map) || map.size() != builtIn.size())
        reason = reader.errorString();
    if (reason.isEmpty())
        return map;
    std::fprintf(stderr, "roteka: %s is not shown: %s\n", qPrintable(userFile), qPrintable(reason));
    return builtIn;
}

} // namespace roteka

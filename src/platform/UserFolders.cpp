#include "platform/UserFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace roteka {

QString userConfigDirectory() {
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/roteka");
#endif
}

} // namespace roteka

#include "settings/SettingsFile.h"

#include "app/RunTimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace roteka {

namespace {

constexpr qint64 MaxLineBytes = 64 * 1024;

} // namespace

bool settingsFileExists(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.exists() && info.isFile() && !info.isHidden();
}

QString readSettingsLine(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw RunTimeError(file.errorString());
    const QByteArray bytes = file.read(MaxLineBytes);
    if (bytes.isEmpty())
        throw RunTimeError(file.error() == QFileDevice::NoError
                               ? QStringLiteral("the file is empty")
                               : file.errorString());
    qsizetype end = bytes.size();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            end = i;
            break;
        }
    }
    return QString::fromLocal8Bit(bytes.left(end));
}

void writeSettingsLine(const QString& fileName, const QString& line) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw RunTimeError(file.errorString());
    const QByteArray bytes = line.toLocal8Bit() + "\r\n";
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw RunTimeError(reason);
    }
    if (!file.commit())
        throw RunTimeError(file.errorString());
}

} // namespace roteka

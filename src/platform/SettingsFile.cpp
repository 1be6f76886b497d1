#include "platform/SettingsFile.h"

#include "platform/PlatformError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include "platform/WinErrorText.h"

#include <io.h>
#include <windows.h>
#endif

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
        throw PlatformError(file.errorString());
    const QByteArray bytes = file.read(MaxLineBytes);
    if (bytes.isEmpty())
        throw PlatformError(file.error() == QFileDevice::NoError
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
    replaceFile(fileName, line.toLocal8Bit() + "\r\n");
}

void replaceFile(const QString& fileName, const QByteArray& bytes) {
    const QFileInfo target(fileName);
    if (target.isDir())
        throw PlatformError(QStringLiteral("a directory stands in its place"));

    QFile temporary;
    for (int attempt = 0;; ++attempt) {
        temporary.setFileName(
            QStringLiteral("%1/.%2.%3")
                .arg(target.absolutePath(), target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (!temporary.exists() || attempt == 8)
            throw PlatformError(temporary.errorString());
    }
    const auto discard = [&temporary](const QString& reason) {
        temporary.close();
        temporary.remove();
        throw PlatformError(reason);
    };
    if (temporary.write(bytes) != bytes.size())
        discard(temporary.errorString());
#ifdef Q_OS_UNIX
    if (::fsync(temporary.handle()) != 0)
        discard(QString::fromLocal8Bit(std::strerror(errno)));
#endif
#ifdef Q_OS_WIN
    if (::_commit(temporary.handle()) != 0)
        discard(QString::fromLocal8Bit(std::strerror(errno)));
#endif
    temporary.close();
    if (temporary.error() != QFileDevice::NoError)
        discard(temporary.errorString());

#ifdef Q_OS_WIN
    // By the names' own UTF-16 text, so that a folder name outside the code page (a user name
    // in another script) is no obstacle; the file in place is replaced.
    const QString from = QDir::toNativeSeparators(temporary.fileName());
    const QString to = QDir::toNativeSeparators(target.absoluteFilePath());
    if (!MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                     reinterpret_cast<const wchar_t*>(to.utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const QString reason = windowsErrorText(GetLastError());
        QFile::remove(temporary.fileName());
        throw PlatformError(reason);
    }
#else
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporary.fileName()).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
    if (error) {
        QFile::remove(temporary.fileName());
        throw PlatformError(QString::fromLocal8Bit(error.message()));
    }
#endif
}

} // namespace roteka

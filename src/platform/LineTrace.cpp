#include "platform/LineTrace.h"

#include "platform/Logging.h"
#include "platform/PlatformError.h"

#include <QDateTime>

namespace roteka {

FileLineTrace::FileLineTrace(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw PlatformError(QStringLiteral("%1: %2").arg(path, file_.errorString()));
}

void FileLineTrace::record(LineDirection direction, QByteArrayView bytes) {
    if (failed_)
        return;
    const QByteArray line = traceLine(QDateTime::currentDateTime(), direction, bytes);
    if (file_.write(line) == line.size())
        return;
    failed_ = true;
    qCWarning(lcSerial).noquote() << "the trace stops:" << file_.fileName() << file_.errorString();
}

} // namespace roteka

#include "platform/LineTrace.h"

#include "platform/Logging.h"
#include "platform/PlatformError.h"

#include <QDateTime>

namespace roteka {

FileLineTrace::FileLineTrace(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw PlatformError(QStringLiteral("%1: %2").arg(path, file_.errorString()));
}

QByteArray FileLineTrace::timeStamp() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != second_) {
        second_ = now / 1000;
        const QByteArray stamp = traceTimeStamp(QDateTime::fromMSecsSinceEpoch(second_ * 1000));
        secondText_ = stamp.left(stamp.size() - 3);
    }
    return secondText_ + QByteArray::number(now % 1000 + 1000).mid(1);
}

void FileLineTrace::record(LineDirection direction, QByteArrayView bytes) {
    if (failed_)
        return;
    const QByteArray line = traceLine(timeStamp(), direction, bytes);
    if (file_.write(line) == line.size())
        return;
    failed_ = true;
    qCWarning(lcSerial).noquote() << "the trace stops:" << file_.fileName() << file_.errorString();
}

} // namespace roteka

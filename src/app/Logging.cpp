#include "app/Logging.h"

#include <cstdio>

namespace roteka {

Q_LOGGING_CATEGORY(lcApp, "roteka.app", QtInfoMsg)

namespace {

void writeMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QString line = qFormatLogMessage(type, context, message);
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

void logToStandardError() {
    qSetMessagePattern(QStringLiteral("%{category}: %{message}"));
    qInstallMessageHandler(writeMessage);
}

} // namespace roteka

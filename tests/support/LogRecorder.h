#pragma once

#include <QStringList>
#include <QtGlobal>

namespace roteka::test {

// Responsibilities: while it lives, keeps the log messages, each as "category: message", instead
// of printing them.
class LogRecorder {
public:
    LogRecorder() : previous_(qInstallMessageHandler(&LogRecorder::record)) { current_ = this; }
    ~LogRecorder() {
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // The lines that hold the text.
    QStringList containing(const QString& text) const { return lines.filter(text); }
    QStringList lines;

private:
    static void record(QtMsgType, const QMessageLogContext& context, const QString& message) {
        current_->lines.append(QString::fromLatin1(context.category) + QStringLiteral(": ") +
                               message);
    }
    static inline LogRecorder* current_ = nullptr;
    QtMessageHandler previous_;
};

} // namespace roteka::test

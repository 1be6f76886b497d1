#pragma once

#include "rules/TraceLine.h"

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace roteka {

// Responsibilities: records the bytes that go to and come from the controller, so that an
// operator can show what a controller does.
class LineTrace {
public:
    virtual ~LineTrace() = default;
    virtual void record(LineDirection direction, QByteArrayView bytes) = 0;
};

// The trace appended to a file, a line a write or a read (see traceLine()), each line handed to
// the system at once so that nothing is lost when the program ends abruptly. A line that cannot
// be written is logged once; the trace then stops and the program goes on.
class FileLineTrace : public LineTrace {
public:
    // Opens the file for appending; raises PlatformError naming the file and the reason.
    explicit FileLineTrace(const QString& path);
    void record(LineDirection direction, QByteArrayView bytes) override;

private:
    // Now's time stamp; the date and time of the current second are made once a second.
    QByteArray timeStamp();

    QFile file_;
    bool failed_ = false;
    qint64 second_ = -1;
    QByteArray secondText_;
};

} // namespace roteka

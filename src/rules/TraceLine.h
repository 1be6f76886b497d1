#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

namespace roteka {

// Which way bytes went on the controller's line.
enum class LineDirection { Sent, Received };

// One line of the controller line's trace: the time stamp, "TX" for bytes sent to the controller
// or "RX" for bytes received from it, and the bytes, each printable ASCII character as itself,
// CR, LF, tab and backslash as \r, \n, \t and \\, every other byte as \xHH; then LF. For example
// "2026-12-07 21:04:05.123 TX M090\r\n".
QByteArray traceLine(QByteArrayView timeStamp, LineDirection direction, QByteArrayView bytes);

// A trace line's time stamp: the local time to the millisecond, "2026-12-07 21:04:05.123".
QByteArray traceTimeStamp(const QDateTime& at);

} // namespace roteka

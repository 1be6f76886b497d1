// The line settings parser: never crashes; what it accepts is in range, and writing the parsed
// values out again in the settings' own form parses to the same values.
#include "platform/LineSettings.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& text) {
    std::fprintf(stderr, "line settings: %s: \"%s\"\n", what, qPrintable(text));
    std::abort();
}

// The settings written out again, parity and stop bits in the order of their enumerations.
QString format(const roteka::LineSettings& s) {
    const QString parity = QStringLiteral("NEOMS").mid(int(s.parity), 1);
    const QString stop = QStringList{"1", "1.5", "2"}.value(int(s.stopBits), QStringLiteral("?"));
    return QStringLiteral("%1,%2,%3,%4").arg(s.baudRate).arg(parity).arg(s.dataBits).arg(stop);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = roteka::parseLineSettings(text);
    if (!parsed)
        return 0;
    if (parsed->baudRate < 50 || parsed->baudRate > 4000000)
        fail("baud rate out of range", text);
    if (parsed->dataBits < 5 || parsed->dataBits > 8)
        fail("data bits out of range", text);
    const QString written = format(*parsed);
    const auto again = roteka::parseLineSettings(written);
    if (!again)
        fail("refused its own values written out", text);
    if (!(*again == *parsed))
        fail("its own values written out parse differently", text);
    return 0;
}

// The settings line split: never crashes; refuses exactly the lines without a "," or whose
// first ":" does not come after the first ","; otherwise the fields are the line's own parts.
#include "rules/SettingsLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& line) {
    std::fprintf(stderr, "settings line: %s: \"%s\"\n", what, qPrintable(line));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const qsizetype semicolon = line.indexOf(QLatin1Char(';'));
    const bool wellFormed = comma >= 0 && colon > comma;

    const auto split = roteka::splitSettingsLine(line);
    if (!split) {
        if (wellFormed)
            fail("refused a well-formed line", line);
        return 0;
    }
    const roteka::SettingsFields& fields = *split;
    if (!wellFormed)
        fail("accepted a line without \",\" ... \":\"", line);
    if (fields.portNumber != line.left(comma) ||
        fields.lineSettings != line.mid(comma + 1, colon - comma - 1))
        fail("wrong port number or line settings", line);
    if (fields.legacy != (semicolon >= 0))
        fail("wrong form", line);
    if (fields.offset != (fields.legacy ? line.mid(semicolon + 1) : line.mid(colon + 1)))
        fail("wrong offset", line);
    if (!fields.legacy &&
        roteka::buildSettingsLine(fields.portNumber, fields.lineSettings, fields.offset) != line)
        fail("the fields do not build the line again", line);
    return 0;
}

// The settings line split refuses exactly the lines without a "," or whose first ":" does not come
// after the first ","; otherwise the fields are the line's own parts, and build the line again.
#include "Check.h"
#include "rules/SettingsLine.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype comma = line.indexOf(u','), colon = line.indexOf(u':');
    const qsizetype semicolon = line.indexOf(u';');
    const auto fields = roteka::splitSettingsLine(line);
    CHECK(fields.has_value() == (comma >= 0 && colon > comma));
    if (!fields)
        return 0;
    CHECK(fields->portNumber == line.left(comma));
    CHECK(fields->lineSettings == line.mid(comma + 1, colon - comma - 1));
    CHECK(fields->legacy == (semicolon >= 0));
    CHECK(fields->offset == line.mid((fields->legacy ? semicolon : colon) + 1));
    CHECK(fields->legacy || roteka::buildSettingsLine(fields->portNumber, fields->lineSettings,
                                                      fields->offset) == line);
    return 0;
}

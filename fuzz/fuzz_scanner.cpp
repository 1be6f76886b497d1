// The reply scanner fed a character at a time against a reading of its own: "AZ=" and three digits
// taken at the last digit (360 and more less 360), nothing else, the buffer at most five
// characters.
#include "Check.h"
#include "rules/ReplyScanner.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace {

std::optional<int> replyEndingAt(const std::uint8_t* data, std::size_t end) {
    const auto digit = [](std::uint8_t c) { return c >= '0' && c <= '9'; };
    if (end < 5)
        return std::nullopt;
    const std::uint8_t* r = data + end - 5;
    if (std::memcmp(r, "AZ=", 3) != 0 || !digit(r[3]) || !digit(r[4]) || !digit(r[5]))
        return std::nullopt;
    const int value = (r[3] - '0') * 100 + (r[4] - '0') * 10 + (r[5] - '0');
    return value >= 360 ? value - 360 : value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString buffer;
    for (std::size_t i = 0; i < size; ++i) {
        buffer += QLatin1Char(char(data[i]));
        CHECK(roteka::scanStep(buffer) == replyEndingAt(data, i));
        CHECK(buffer.size() <= 5);
    }
    return 0;
}

// The reply scanner fed one character at a time, as the receive handler feeds it, checked
// against an independent reading of the stream: a reply is "AZ=" and three digits, and each
// one is taken exactly when its last digit arrives, with its value (360 and more reduced by
// 360 once); nothing else is ever taken, and the buffer never holds more than one reply's
// worth of characters.
#include "rules/ReplyScanner.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

bool isDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

std::optional<int> replyEndingAt(const std::uint8_t* data, std::size_t end) {
    if (end < 5)
        return std::nullopt;
    const std::uint8_t* r = data + end - 5;
    if (r[0] != 'A' || r[1] != 'Z' || r[2] != '=' || !isDigit(r[3]) || !isDigit(r[4]) ||
        !isDigit(r[5]))
        return std::nullopt;
    const int value = (r[3] - '0') * 100 + (r[4] - '0') * 10 + (r[5] - '0');
    return value >= 360 ? value - 360 : value;
}

[[noreturn]] void fail(const char* what, std::size_t at) {
    std::fprintf(stderr, "scanner: %s at character %zu\n", what, at);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString buffer;
    for (std::size_t i = 0; i < size; ++i) {
        buffer += QLatin1Char(char(data[i]));
        const std::optional<int> taken = roteka::scanStep(buffer);
        const std::optional<int> expected = replyEndingAt(data, i);
        if (taken.has_value() != expected.has_value())
            fail(taken ? "took something that is no reply" : "missed a reply", i);
        if (taken && *taken != *expected)
            fail("took a reply with the wrong value", i);
        if (buffer.size() > 5)
            fail("the buffer grew beyond five characters", i);
    }
    return 0;
}

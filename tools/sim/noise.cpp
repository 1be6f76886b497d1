#include "noise.h"

#include <array>
#include <iterator>

namespace roteka::sim {

namespace {
constexpr std::size_t reportBodyLength = 6; // "AZ=" and three digits

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool completesReport(std::string_view tail, char next) {
    if (tail.size() < reportBodyLength - 1 || !isDigit(next))
        return false;
    const std::string_view w = tail.substr(tail.size() - (reportBodyLength - 1));
    return w[0] == 'A' && w[1] == 'Z' && w[2] == '=' && isDigit(w[3]) && isDigit(w[4]);
}
} // namespace

NoiseGenerator::NoiseGenerator(std::uint64_t seed) : rng_(seed) {}

int NoiseGenerator::pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng_);
}

template <typename Sequence> auto NoiseGenerator::pickFrom(const Sequence& items) {
    return items[static_cast<std::size_t>(pick(0, static_cast<int>(std::size(items)) - 1))];
}

std::string NoiseGenerator::digits(int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += static_cast<char>('0' + pick(0, 9));
    return out;
}

std::string NoiseGenerator::burst() {
    static constexpr std::array<std::string_view, 4> lineEnds{"\r", "\n", "\r\n", "\n\r"};
    static constexpr std::array<std::string_view, 5> lookalikes{"az=", "Az=", "aZ=", "AZ:", "A Z="};
    static constexpr std::string_view separators = "x-. /:+Zz";
    const std::string crlf = pick(0, 3) == 0 ? "" : "\r\n";

    std::string raw;
    switch (pick(0, 6)) {
    case 0:
        for (int i = 0, n = pick(1, 8); i < n; ++i)
            raw += static_cast<char>(pick(0, 255));
        break;
    case 1:
        raw.assign(static_cast<std::size_t>(pick(1, 3)), 'A');
        break;
    case 2:
        raw = "AZ=" + digits(pick(0, 2)) + crlf;
        break;
    case 3:
        raw = "az=" + digits(3) + crlf;
        break;
    case 4:
        raw = "AZ=" + digits(pick(0, 2)) + pickFrom(separators) + digits(pick(1, 3)) + crlf;
        break;
    case 5:
        raw = pickFrom(lineEnds);
        break;
    default:
        raw = std::string(pickFrom(lookalikes)) + digits(3) + crlf;
        break;
    }

    std::string out;
    for (const char c : raw)
        put(out, c);
    return out;
}

void NoiseGenerator::observe(std::string_view sent) {
    for (const char c : sent)
        remember(c);
}

void NoiseGenerator::put(std::string& out, char c) {
    if (completesReport(tail_, c))
        c = '?';
    out += c;
    remember(c);
}

void NoiseGenerator::remember(char c) {
    tail_ += c;
    if (tail_.size() > reportBodyLength)
        tail_.erase(0, tail_.size() - reportBodyLength);
}

} // namespace roteka::sim

#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace roteka::sim {

// Responsibilities: reproducible line noise for fault injection: stray bytes, lone 'A's,
// line ends, truncated replies such as "AZ=12", lower-case and mangled replies. Whatever it
// produces, the noise never forms a well-formed report ("AZ=" followed by three digits),
// also not together with the bytes sent just before it (see observe()).
class NoiseGenerator {
public:
    explicit NoiseGenerator(std::uint64_t seed);

    std::string burst();
    // Tells the generator what else went out on the line, so a burst cannot complete a
    // report that was cut short.
    void observe(std::string_view sent);

private:
    int pick(int low, int high);
    template <typename Sequence> auto pickFrom(const Sequence& items);
    std::string digits(int count);
    void put(std::string& out, char c);
    void remember(char c);

    std::mt19937_64 rng_;
    std::string tail_;
};

} // namespace roteka::sim

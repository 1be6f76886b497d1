// A vector's direction: the arc tangent moved into [0, 2π); 0 for the zero vector and NaN; none for
// two infinite components.
#include "Check.h"
#include "rules/Bearing.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != 2 * sizeof(double))
        return 0;
    double x = 0, y = 0;
    std::memcpy(&x, data, sizeof x);
    std::memcpy(&y, data + sizeof x, sizeof y);
    const auto angle = roteka::vectorAngle(x, y);
    CHECK(angle.has_value() == !(std::isinf(x) && std::isinf(y)));
    if (!angle)
        return 0;
    if (std::isnan(x) || std::isnan(y) || (x == 0 && y == 0)) {
        CHECK(*angle == 0);
        return 0;
    }
    constexpr double TwoPi = 2 * std::numbers::pi;
    CHECK(*angle >= 0 && *angle < TwoPi);
    const double expected = std::atan2(y, x) + (std::atan2(y, x) < 0 ? TwoPi : 0);
    const double difference = std::fabs(*angle - expected);
    CHECK(std::fmin(difference, TwoPi - difference) <= 1e-9);
    return 0;
}

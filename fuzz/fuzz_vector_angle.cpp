// The direction of a vector: for finite components it lies in [0, 2π) and equals the arc
// tangent of y over x moved into that range (within 1e-9); the zero vector and any NaN give 0;
// one infinite component gives the direction of that axis' limit; two infinite components have
// no direction and give none.
#include "rules/Bearing.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

[[noreturn]] static void fail(const char* what, double x, double y, double got) {
    std::fprintf(stderr, "vectorAngle(%a, %a) = %a (%.17g): %s\n", x, y, got, got, what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != 2 * sizeof(double))
        return 0;
    double x = 0, y = 0;
    std::memcpy(&x, data, sizeof x);
    std::memcpy(&y, data + sizeof x, sizeof y);

    const auto direction = roteka::vectorAngle(x, y);
    if (!direction) {
        if (!(std::isinf(x) && std::isinf(y)))
            fail("gave no direction", x, y, 0);
        return 0;
    }
    const double angle = *direction;
    if (std::isinf(x) && std::isinf(y))
        fail("gave a direction to two infinite components", x, y, angle);
    if (std::isnan(x) || std::isnan(y) || (x == 0 && y == 0)) {
        if (angle != 0)
            fail("not 0", x, y, angle);
        return 0;
    }
    constexpr double TwoPi = 2 * std::numbers::pi;
    if (!(angle >= 0 && angle < TwoPi))
        fail("outside [0, 2π)", x, y, angle);
    double expected = std::atan2(y, x);
    if (expected < 0)
        expected += TwoPi;
    const double difference = std::fabs(angle - expected);
    if (std::fmin(difference, TwoPi - difference) > 1e-9)
        fail("differs from the arc tangent", x, y, angle);
    return 0;
}

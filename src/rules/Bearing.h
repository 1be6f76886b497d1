#pragma once

#include <optional>

namespace roteka {

// π, as four times the arc tangent of 1.
double pi();

// The direction of the vector (x, y) in radians, from +x towards +y, in [0, 2π); 0 for the
// zero vector and for arguments that are not numbers; none when both components are infinite,
// whose quotient has no value.
std::optional<double> vectorAngle(double x, double y);

// The compass bearing of a map click, in degrees, for a point (x, y) measured in pixels from
// the map box's outer top-left corner, where the map centre lies at (102, 102).
double clickedBearing(int x, int y);

} // namespace roteka

#pragma once

namespace roteka::Module1 {

// π, as four times the arc tangent of 1.
double Pi();

// The direction of the vector (x, y) in radians, from +x towards +y, in [0, 2π); 0 for the
// zero vector and for arguments that are not numbers. Raises RunTimeError when both
// components are infinite, whose quotient has no value.
double VectorAngle(const double& x, const double& y);

} // namespace roteka::Module1

namespace roteka {

// The compass bearing of a map click, in degrees, for a point (X, Y) measured in pixels from
// the map box's outer top-left corner; the map centre lies at (102, 102). Radians become
// degrees through 360 / 6.28, as the map's bearing scale has always been read.
double clickedBearing(int X, int Y);

} // namespace roteka

#pragma once

#include <QPointF>
#include <QStringView>

namespace roteka {

// Map drawing geometry in twips of the map box's inner area (15 to a pixel): the map centre
// is (1500, 1500); 0 degrees points up (north), bearings grow clockwise.
inline constexpr QPointF MapCentreTwips{1500.0, 1500.0};
inline constexpr double AzimuthPointerLength = 1200.0;
inline constexpr double TargetPointerLength = 1300.0;
inline constexpr double CentreRingRadius = 50.0;

// The end point of a pointer of the given length toward a bearing in degrees, in single
// precision as the drawing surface takes it.
QPointF pointerEnd(double bearingDegrees, double lengthTwips);

// Whether an offset text asks for the aim pointer: not empty, and not a complete decimal
// number equal to zero (blanks around it allowed: "0", "00", "+0", "-0", "0.0").
bool aimPointerWanted(QStringView offsetText);

} // namespace roteka

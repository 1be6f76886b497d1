#pragma once

#include <QString>

#include <optional>

namespace roteka {

// A free turn runs the antenna to the rotator's end stop at south. The commanded angle takes the
// bearing just short of it on the side the turn goes, so that a step after the turn starts from
// there: 4 degrees past south turning left, 4 degrees before it turning right.
inline constexpr int TurnLeftEnd = 184;
inline constexpr int TurnRightEnd = 176;

// The last-commanded angle in whole degrees. It may lie outside 0-359: an offset can take a map
// target to 370 or to -30, and the controller is sent what the operator asked for. Stop pressed
// before the controller's first report commands the azimuth it has not reported yet: that counts
// as 0 and is shown as the azimuth is shown then, "000".
struct CommandedAngle {
    int degrees = 0;
    bool unreported = false;
    friend bool operator==(const CommandedAngle&, const CommandedAngle&) = default;
};

// The commanded angle as the operator sees it: nothing before anything is commanded, "000" for
// the unreported azimuth, else plain decimal ("5", "-30", "370").
QString commandedAngleText(const std::optional<CommandedAngle>& angle);

// The azimuth as the operator sees it: "000" until the controller's first report, then plain
// decimal without padding ("0", "5", "359").
QString azimuthText(std::optional<int> azimuth);

// The go-to command for an angle: "M" and the angle's decimal text padded with "0" to three
// characters, the padding chosen by the text's length ("5" -> "M005", "-5" -> "M0-5", "-30" ->
// "M-30"). An angle of four characters or more (1000, -100) has none: nothing is sent.
std::optional<QString> goToLine(int angle);

// The commanded angle after a step of 15 degrees to the right from the angle (none counts as 0):
// 360 or more wraps once.
int stepRight(std::optional<int> angle);

// The commanded angle after a step of 15 degrees to the left (none counts as 0): 0 or less wraps
// once.
int stepLeft(std::optional<int> angle);

// The target of a map click: the bearing rounded (halves to even), plus the offset, rounded again,
// plus 360 once when negative; none when the result does not fit a 16-bit whole number.
std::optional<int> mapTarget(double bearing, double offset);

} // namespace roteka

#pragma once

#include <chrono>
#include <optional>

namespace roteka::sim {

using Seconds = std::chrono::duration<double>;

// Responsibilities: the mechanical model of the rotator. It keeps the azimuth inside the
// mechanical range 0..rangeEnd (360 or 450), turns continuously or to a bearing at a fixed
// speed and never turns through the mechanical stop. Time is supplied by the caller, so the
// model runs the same on the real clock and on a fake clock.
class Rotator {
public:
    enum class Motion { Stopped, CounterClockwise, Clockwise, ToTarget };

    Rotator(double speedDegPerSec, int rangeEnd, double startAzimuth);

    void turnCounterClockwise();
    void turnClockwise();
    void stop();
    // A bearing beyond the range is clamped to the nearest range end.
    void moveTo(int bearing);
    void advance(Seconds elapsed);

    double azimuth() const { return azimuth_; }
    int reportedAzimuth() const;
    Motion motion() const { return motion_; }
    bool moving() const { return motion_ != Motion::Stopped; }
    int target() const { return target_; }
    int rangeEnd() const { return rangeEnd_; }
    // Time until the rotator stops by itself (target or range end reached), if it will.
    std::optional<Seconds> timeUntilStop() const;

private:
    double speed_;
    int rangeEnd_;
    double azimuth_;
    int target_ = 0;
    Motion motion_ = Motion::Stopped;
};

} // namespace roteka::sim

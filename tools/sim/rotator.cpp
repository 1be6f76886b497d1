#include "rotator.h"

#include <algorithm>
#include <cmath>

namespace roteka::sim {

namespace {
constexpr double arrivalTolerance = 1e-9;
constexpr double minimumSpeed = 1e-6;
} // namespace

Rotator::Rotator(double speedDegPerSec, int rangeEnd, double startAzimuth)
    : speed_(std::max(speedDegPerSec, minimumSpeed)), rangeEnd_(std::max(rangeEnd, 1)),
      azimuth_(std::clamp(startAzimuth, 0.0, static_cast<double>(rangeEnd_))) {}

void Rotator::turnCounterClockwise() {
    motion_ = azimuth_ > 0.0 ? Motion::CounterClockwise : Motion::Stopped;
}

void Rotator::turnClockwise() {
    motion_ = azimuth_ < rangeEnd_ ? Motion::Clockwise : Motion::Stopped;
}

void Rotator::stop() {
    motion_ = Motion::Stopped;
}

void Rotator::moveTo(int bearing) {
    target_ = std::clamp(bearing, 0, rangeEnd_);
    motion_ = azimuth_ == target_ ? Motion::Stopped : Motion::ToTarget;
}

void Rotator::advance(Seconds elapsed) {
    if (motion_ == Motion::Stopped || elapsed.count() <= 0.0)
        return;
    const double step = speed_ * elapsed.count();
    switch (motion_) {
    case Motion::CounterClockwise:
        azimuth_ -= step;
        if (azimuth_ <= arrivalTolerance) {
            azimuth_ = 0.0;
            motion_ = Motion::Stopped;
        }
        break;
    case Motion::Clockwise:
        azimuth_ += step;
        if (azimuth_ >= rangeEnd_ - arrivalTolerance) {
            azimuth_ = rangeEnd_;
            motion_ = Motion::Stopped;
        }
        break;
    case Motion::ToTarget: {
        const double remaining = target_ - azimuth_;
        if (std::abs(remaining) <= step + arrivalTolerance) {
            azimuth_ = target_;
            motion_ = Motion::Stopped;
        } else {
            azimuth_ += remaining > 0 ? step : -step;
        }
        break;
    }
    case Motion::Stopped:
        break;
    }
}

int Rotator::reportedAzimuth() const {
    return std::clamp(static_cast<int>(std::lround(azimuth_)), 0, rangeEnd_);
}

std::optional<Seconds> Rotator::timeUntilStop() const {
    switch (motion_) {
    case Motion::CounterClockwise:
        return Seconds(azimuth_ / speed_);
    case Motion::Clockwise:
        return Seconds((rangeEnd_ - azimuth_) / speed_);
    case Motion::ToTarget:
        return Seconds(std::abs(target_ - azimuth_) / speed_);
    case Motion::Stopped:
        break;
    }
    return std::nullopt;
}

} // namespace roteka::sim

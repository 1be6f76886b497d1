#pragma once

#include <optional>

namespace roteka {

// Responsibilities: what a network client may ask of the rotator. Each request does exactly
// what the window's own control does (through the same handlers) and says how it went.
class RemoteRotator {
public:
    // Refused: the request names no target the controller can be sent; IoError: the port is
    // closed, or the command could not be written.
    enum Outcome { Done, Refused, IoError };
    virtual ~RemoteRotator() = default;
    virtual Outcome turnTo(double bearing) = 0; // a click on the map toward the bearing
    virtual Outcome stop() = 0;                 // the stop button
    virtual Outcome turn(bool clockwise) = 0;   // the turn buttons
    // The azimuth the controller last reported less the offset, 0 to 360; none with the port
    // closed.
    virtual std::optional<double> azimuth() = 0;
};

} // namespace roteka

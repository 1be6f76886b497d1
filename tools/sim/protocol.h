#pragma once

#include "rotator.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace roteka::sim {

struct Command {
    enum class Kind { TurnLeft, TurnRight, Stop, MoveTo };
    Kind kind = Kind::Stop;
    int bearing = 0;

    bool operator==(const Command&) const = default;
};

// "L", "R", "A" or "M" followed by exactly three digits; anything else is not a command.
std::optional<Command> parseCommand(std::string_view line);

void applyCommand(const Command& command, Rotator& rotator);

// "AZ=" followed by three digits and CR LF; values outside 0..999 are clamped.
std::string formatReport(int azimuth);

// Printable ASCII stays as it is, a backslash is doubled, any other byte becomes \xHH.
std::string escapeForLog(std::string_view text);

// Responsibilities: cuts the received byte stream into lines ended by CR, LF or CR LF,
// whatever the read boundaries. Empty lines are dropped and a line is kept to at most
// maxLineLength bytes, so a sender that never ends its line cannot grow memory.
class LineSplitter {
public:
    static constexpr std::size_t maxLineLength = 256;

    std::vector<std::string> feed(std::string_view bytes);

private:
    std::string pending_;
};

} // namespace roteka::sim

#include "protocol.h"

#include <algorithm>
#include <cstdio>

namespace roteka::sim {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::optional<Command> parseCommand(std::string_view line) {
    if (line == "L")
        return Command{Command::Kind::TurnLeft, 0};
    if (line == "R")
        return Command{Command::Kind::TurnRight, 0};
    if (line == "A")
        return Command{Command::Kind::Stop, 0};
    if (line.size() == 4 && line[0] == 'M' && std::all_of(line.begin() + 1, line.end(), isDigit)) {
        const int bearing = (line[1] - '0') * 100 + (line[2] - '0') * 10 + (line[3] - '0');
        return Command{Command::Kind::MoveTo, bearing};
    }
    return std::nullopt;
}

void applyCommand(const Command& command, Rotator& rotator) {
    switch (command.kind) {
    case Command::Kind::TurnLeft:
        rotator.turnCounterClockwise();
        break;
    case Command::Kind::TurnRight:
        rotator.turnClockwise();
        break;
    case Command::Kind::Stop:
        rotator.stop();
        break;
    case Command::Kind::MoveTo:
        rotator.moveTo(command.bearing);
        break;
    }
}

std::string formatReport(int azimuth) {
    char text[16];
    std::snprintf(text, sizeof text, "AZ=%03d\r\n", std::clamp(azimuth, 0, 999));
    return text;
}

std::string escapeForLog(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(byte));
            out += hex;
        }
    }
    return out;
}

std::vector<std::string> LineSplitter::feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!pending_.empty())
                lines.push_back(std::move(pending_));
            pending_.clear();
        } else if (pending_.size() < maxLineLength) {
            pending_ += c;
        }
    }
    return lines;
}

} // namespace roteka::sim

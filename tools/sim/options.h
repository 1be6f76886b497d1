#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace roteka::sim {

struct Options {
    double speed = 6.0;
    int rangeEnd = 360;
    int start = 0;
    int movingIntervalMs = 200;
    int idleIntervalMs = 1000;
    bool garbage = false;
    bool split = false;
    bool reports = true;
    bool log = false;
    bool logSent = false;
    bool backToBack = false;
    bool help = false;
    std::optional<std::uint64_t> seed;
    std::optional<int> alias;
    std::string aliasDir;
    std::string device;
    int baud = 9600;
};

struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

// Accepts "--name value" and "--name=value"; a later option overrides an earlier one.
ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();
bool isSupportedBaud(int baud);

} // namespace roteka::sim

#include "options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <string_view>

namespace roteka::sim {

namespace {

constexpr std::array supportedBauds{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

template <typename T> bool parseNumber(std::string_view text, T& value) {
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseIntIn(std::string_view text, int low, int high, int& value) {
    int parsed = 0;
    if (!parseNumber(text, parsed) || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

std::string rangeError(std::string_view option, std::string_view text, int low, int high) {
    return "invalid value '" + std::string(text) + "' for " + std::string(option) +
           " (expected a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ")";
}

} // namespace

bool isSupportedBaud(int baud) {
    return std::find(supportedBauds.begin(), supportedBauds.end(), baud) != supportedBauds.end();
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    Options o;
    bool baudGiven = false;

    using Setter = std::function<std::string(std::string_view)>;
    auto intSetter = [](std::string_view name, int low, int high, int& target) {
        return Setter([name, low, high, &target](std::string_view v) {
            return parseIntIn(v, low, high, target) ? std::string()
                                                    : rangeError(name, v, low, high);
        });
    };
    const std::map<std::string_view, Setter> valued{
        {"--speed",
         [&o](std::string_view v) -> std::string {
             double speed = 0;
             if (!parseNumber(v, speed) || !std::isfinite(speed) || speed < 0.1 || speed > 1000)
                 return "invalid value '" + std::string(v) +
                        "' for --speed (expected degrees per second from 0.1 to 1000)";
             o.speed = speed;
             return {};
         }},
        {"--range",
         [&o](std::string_view v) -> std::string {
             if (v != "360" && v != "450")
                 return "invalid value '" + std::string(v) + "' for --range (expected 360 or 450)";
             o.rangeEnd = v == "360" ? 360 : 450;
             return {};
         }},
        {"--start", intSetter("--start", 0, 450, o.start)},
        {"--moving-interval", intSetter("--moving-interval", 10, 60000, o.movingIntervalMs)},
        {"--idle-interval", intSetter("--idle-interval", 10, 600000, o.idleIntervalMs)},
        {"--alias",
         [&o](std::string_view v) -> std::string {
             int n = 0;
             if (!parseIntIn(v, 1, 256, n))
                 return rangeError("--alias", v, 1, 256);
             o.alias = n;
             return {};
         }},
        {"--seed",
         [&o](std::string_view v) -> std::string {
             std::uint64_t seed = 0;
             if (!parseNumber(v, seed))
                 return "invalid value '" + std::string(v) +
                        "' for --seed (expected a non-negative whole number)";
             o.seed = seed;
             return {};
         }},
        {"--alias-dir",
         [&o](std::string_view v) -> std::string {
             if (v.empty())
                 return "--alias-dir needs a directory";
             o.aliasDir = v;
             return {};
         }},
        {"--device",
         [&o](std::string_view v) -> std::string {
             if (v.empty())
                 return "--device needs a path";
             o.device = v;
             return {};
         }},
        {"--baud",
         [&o, &baudGiven](std::string_view v) -> std::string {
             int baud = 0;
             if (!parseNumber(v, baud) || !isSupportedBaud(baud))
                 return "invalid value '" + std::string(v) +
                        "' for --baud (expected 1200, 2400, 4800, 9600, 19200, 38400, 57600 "
                        "or 115200)";
             o.baud = baud;
             baudGiven = true;
             return {};
         }},
    };
    const std::map<std::string_view, bool*> flags{{"--garbage", &o.garbage},
                                                  {"--split", &o.split},
                                                  {"--log", &o.log},
                                                  {"--log-sent", &o.logSent},
                                                  {"--back-to-back", &o.backToBack}};

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return {o, {}};
        }
        if (arg == "--no-reports") {
            o.reports = false;
            continue;
        }
        if (auto flag = flags.find(arg); flag != flags.end()) {
            *flag->second = true;
            continue;
        }
        std::string_view name = arg;
        std::optional<std::string_view> value;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const auto setter = valued.find(name);
        if (setter == valued.end()) {
            if (flags.contains(name) || name == "--no-reports")
                return {std::nullopt, std::string(name) + " takes no value"};
            if (!arg.starts_with("-"))
                return {std::nullopt, "unexpected argument '" + std::string(arg) + "'"};
            return {std::nullopt, "unknown option '" + std::string(arg) + "'"};
        }
        if (!value) {
            if (i + 1 >= args.size())
                return {std::nullopt, std::string(name) + " needs a value"};
            value = args[++i];
        }
        if (std::string error = setter->second(*value); !error.empty())
            return {std::nullopt, error};
    }

    if (o.start > o.rangeEnd)
        return {std::nullopt, "--start " + std::to_string(o.start) + " lies outside the range 0-" +
                                  std::to_string(o.rangeEnd) + " (use --range 450 for more)"};
    if (o.alias && !o.device.empty())
        return {std::nullopt, "--alias binds the simulator's pseudo-terminal and cannot be used "
                              "with --device"};
    if (baudGiven && o.device.empty() && !o.backToBack)
        return {std::nullopt, "--baud only applies together with --device or --back-to-back"};
    return {o, {}};
}

std::string usageText() {
    return R"(Usage: roteka-sim [OPTIONS]

Simulates a rotator controller on a pseudo-terminal (or on a serial device), so
that ROTEKA can be tried and tested without hardware.

Commands understood (lines ended by CR, LF or CR LF; anything else is ignored):
  L      turn counter-clockwise until A or the start of the range (0)
  R      turn clockwise until A or the end of the range
  A      stop
  Mddd   turn to bearing ddd (exactly three digits) and stop there. The rotator
         never turns through its mechanical stop: it takes the way that stays
         inside the range. A bearing beyond the end of the range is clamped to
         the end (M400 with --range 360 stops at 360).
Reports: "AZ=ddd" CR LF (whole degrees, rounded) every --moving-interval while
turning and every --idle-interval at rest.

Options:
  --speed DEG           turning speed in degrees per second (default 6)
  --range 360|450       mechanical range 0-360 or 0-450 (default 360)
  --start AZ            azimuth at start, inside the range (default 0)
  --moving-interval MS  report interval while turning (default 200, min 10)
  --idle-interval MS    report interval at rest (default 1000, min 10)
  --no-reports          send nothing at all (for tests that only read commands)
  --back-to-back        report without any pause, each report as soon as the one
                        before has taken its time on the line at --baud (10 bits
                        a character; 9600 baud: 120 reports a second); replaces
                        the report intervals
  --garbage             send noise between replies: stray bytes, lone 'A's,
                        broken and lower-case replies, never a valid report
  --split               write each reply in several pieces, 1-3 ms apart
  --seed N              seed for --garbage and --split (default: random)
  --log                 print each received line on stdout as "RX <text>"
  --log-sent            print each piece written to the line on stdout as
                        "TX <seconds> <text>", the time it went out on the
                        system's monotonic clock (CLOCK_MONOTONIC)
  --alias N             bind the pseudo-terminal to port alias COM<N> (1-256):
                        a symlink COM<N> in the alias directory, removed on exit
  --alias-dir DIR       alias directory (default $XDG_CONFIG_HOME/roteka/ports,
                        or ~/.config/roteka/ports)
  --device PATH         use this serial device instead of a pseudo-terminal
  --baud N              baud rate for --device (default 9600; always 8N1), and
                        the pace of --back-to-back
  -h, --help            show this help

Standard output, one line each, flushed at once:
  PTY <slave path>      first line (with --device: DEVICE <path>)
  ALIAS <symlink path>  second line, with --alias
  RX <text>             each received line, with --log; bytes outside
                        printable ASCII are shown as \xHH, a backslash as \\
  TX <seconds> <text>   each piece written, with --log-sent, shown the same way

Replies nobody reads are discarded once about 512 bytes are waiting, as on a
serial line with nobody listening.

Exit status: 0 after SIGINT, SIGTERM or SIGHUP; 1 on a runtime failure; 2 on a
bad option or when the alias name is taken by something that is not a symlink.
)";
}

} // namespace roteka::sim

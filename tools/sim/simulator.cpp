#include "simulator.h"

#include "alias.h"
#include "noise.h"
#include "port.h"
#include "protocol.h"
#include "rotator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <random>
#include <time.h>
#include <unistd.h>

namespace roteka::sim {

namespace {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using std::chrono::milliseconds;

constexpr TimePoint never = TimePoint::max();
constexpr milliseconds readRetryDelay{200};
// Back to back, a report that falls further behind than this is not caught up with, so the
// line never carries more than its rate allows over a longer time.
constexpr milliseconds backToBackSlack{20};

void printLine(const std::string& line) {
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// Seconds on CLOCK_MONOTONIC, to the microsecond.
std::string monotonicSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%06ld", static_cast<long long>(now.tv_sec),
                  now.tv_nsec / 1000);
    return text;
}

void printError(const std::string& message) {
    std::cerr << "roteka-sim: " << message << '\n';
}

int signalWriteFd = -1;

extern "C" void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalWriteFd, &byte, 1);
    errno = savedErrno;
}

// Responsibilities: turns SIGINT, SIGTERM and SIGHUP into a readable descriptor for poll()
// (self-pipe), ignores SIGPIPE, and puts the previous handlers back when destroyed.
class SignalPipe {
public:
    SignalPipe() {
        if (::pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0)
            return;
        signalWriteFd = fds_[1];
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(handled); ++i)
            ::sigaction(handled[i], &action, &previous_[i]);
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~SignalPipe() {
        if (fds_[0] < 0)
            return;
        for (std::size_t i = 0; i < std::size(handled); ++i)
            ::sigaction(handled[i], &previous_[i], nullptr);
        signalWriteFd = -1;
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    bool valid() const { return fds_[0] >= 0; }
    int readFd() const { return fds_[0]; }

private:
    static constexpr int handled[] = {SIGINT, SIGTERM, SIGHUP};
    int fds_[2] = {-1, -1};
    struct sigaction previous_[std::size(handled)]{};
};

// Responsibilities: the event loop of one simulated controller. It reads commands from the
// line and drives the rotator model, and it schedules and writes reports, noise and split
// reply pieces at their due times (logging each piece with --log-sent), sleeping in poll()
// until the next thing is due.
class Simulator {
public:
    Simulator(const Options& options, Port& port, int signalFd)
        : options_(options), port_(port), signalFd_(signalFd),
          seed_(options.seed.value_or(std::random_device{}())),
          rotator_(options.speed, options.rangeEnd, options.start), noise_(seed_),
          timing_(seed_ ^ 0x9e3779b97f4a7c15ULL) {}

    int run();

private:
    struct Piece {
        TimePoint due;
        std::string bytes;
        unsigned message = 0;
    };

    void advanceModel(TimePoint now);
    bool readPort(TimePoint now, short events);
    void handleLine(const std::string& line, TimePoint now);
    void runTimers(TimePoint now);
    void queueReply(TimePoint now);
    void queue(std::string bytes, TimePoint due, unsigned message);
    void writeDuePieces(TimePoint now);
    int pollTimeout(TimePoint now) const;
    Clock::duration reportInterval() const;
    int randomBetween(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(timing_);
    }

    const Options& options_;
    Port& port_;
    int signalFd_;
    std::uint64_t seed_;
    Rotator rotator_;
    NoiseGenerator noise_;
    std::mt19937_64 timing_;
    LineSplitter splitter_;
    std::deque<Piece> pending_;
    unsigned nextMessage_ = 0;
    TimePoint lastAdvance_{};
    TimePoint nextReport_ = never;
    TimePoint nextNoise_ = never;
    TimePoint readPausedUntil_{};
    bool readErrorShown_ = false;
};

int Simulator::run() {
    TimePoint now = Clock::now();
    lastAdvance_ = now;
    if (options_.reports)
        nextReport_ = now;
    for (;;) {
        now = Clock::now();
        advanceModel(now);
        runTimers(now);
        writeDuePieces(now);

        const bool reading = now >= readPausedUntil_;
        pollfd fds[2] = {{signalFd_, POLLIN, 0}, {reading ? port_.fd() : -1, POLLIN, 0}};
        if (::poll(fds, 2, pollTimeout(now)) < 0) {
            if (errno == EINTR)
                continue;
            printError(std::string("poll failed: ") + std::strerror(errno));
            return 1;
        }
        if (fds[0].revents != 0)
            return 0;
        if (fds[1].revents != 0) {
            now = Clock::now();
            advanceModel(now);
            if (!readPort(now, fds[1].revents))
                return 1;
        }
    }
}

void Simulator::advanceModel(TimePoint now) {
    const bool wasMoving = rotator_.moving();
    rotator_.advance(now - lastAdvance_);
    lastAdvance_ = now;
    if (wasMoving && !rotator_.moving() && options_.reports)
        nextReport_ = now;
}

bool Simulator::readPort(TimePoint now, short events) {
    char buffer[512];
    const ssize_t n = ::read(port_.fd(), buffer, sizeof buffer);
    if (n > 0) {
        readErrorShown_ = false;
        for (const std::string& line : splitter_.feed({buffer, static_cast<std::size_t>(n)}))
            handleLine(line, now);
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR) && (events & (POLLHUP | POLLERR)) == 0)
        return true;
    const std::string reason = n < 0 ? std::strerror(errno) : "hang-up";
    if (!port_.isPseudoTerminal()) {
        printError("lost the serial device " + port_.path() + ": " + reason);
        return false;
    }
    if (!readErrorShown_)
        printError("reading the pseudo-terminal failed (" + reason + "); retrying");
    readErrorShown_ = true;
    readPausedUntil_ = now + readRetryDelay;
    return true;
}

void Simulator::handleLine(const std::string& line, TimePoint now) {
    if (options_.log)
        printLine("RX " + escapeForLog(line));
    const auto command = parseCommand(line);
    if (!command)
        return;
    const Rotator::Motion before = rotator_.motion();
    const int targetBefore = rotator_.target();
    applyCommand(*command, rotator_);
    const bool changed = rotator_.motion() != before || rotator_.target() != targetBefore;
    if (changed && options_.reports)
        nextReport_ = std::min(nextReport_, now + milliseconds(options_.movingIntervalMs));
}

// Back to back, the time a report takes on the line (10 bits a character).
Clock::duration Simulator::reportInterval() const {
    if (options_.backToBack)
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(formatReport(0).size() * 10.0 / options_.baud));
    return milliseconds(rotator_.moving() ? options_.movingIntervalMs : options_.idleIntervalMs);
}

void Simulator::runTimers(TimePoint now) {
    if (now >= nextReport_) {
        queueReply(now);
        const Clock::duration interval = reportInterval();
        // Back to back, each report is due when the one before has left the line, however late
        // the loop came round for it (within backToBackSlack).
        nextReport_ = options_.backToBack ? std::max(nextReport_, now - backToBackSlack) + interval
                                          : now + interval;
        nextNoise_ = never;
        if (options_.garbage && randomBetween(0, 9) < 6)
            nextNoise_ = now + interval * randomBetween(20, 90) / 100;
    }
    if (now >= nextNoise_) {
        nextNoise_ = never;
        if (pending_.empty())
            queue(noise_.burst(), now, nextMessage_++);
    }
}

void Simulator::queueReply(TimePoint now) {
    const std::string reply = formatReport(rotator_.reportedAzimuth());
    const unsigned message = nextMessage_++;
    if (!options_.split) {
        queue(reply, now, message);
        return;
    }
    const int pieces = randomBetween(2, 4);
    std::vector<std::size_t> cuts;
    while (cuts.size() < static_cast<std::size_t>(pieces - 1)) {
        const auto cut = static_cast<std::size_t>(randomBetween(1, int(reply.size()) - 1));
        if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
            cuts.push_back(cut);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.push_back(reply.size());
    std::size_t from = 0;
    TimePoint due = now;
    for (const std::size_t to : cuts) {
        queue(reply.substr(from, to - from), due, message);
        due += milliseconds(randomBetween(1, 3));
        from = to;
    }
}

void Simulator::queue(std::string bytes, TimePoint due, unsigned message) {
    if (!pending_.empty())
        due = std::max(due, pending_.back().due);
    pending_.push_back({due, std::move(bytes), message});
}

void Simulator::writeDuePieces(TimePoint now) {
    if (pending_.empty() || pending_.front().due > now)
        return;
    port_.discardStaleInput();
    while (!pending_.empty() && pending_.front().due <= now) {
        const Piece& piece = pending_.front();
        const ssize_t n = ::write(port_.fd(), piece.bytes.data(), piece.bytes.size());
        if (n > 0)
            noise_.observe(std::string_view(piece.bytes).substr(0, static_cast<std::size_t>(n)));
        if (n > 0 && options_.logSent)
            printLine("TX " + monotonicSeconds() + " " +
                      escapeForLog(std::string_view(piece.bytes).substr(0, std::size_t(n))));
        if (n == static_cast<ssize_t>(piece.bytes.size())) {
            pending_.pop_front();
            continue;
        }
        // The line cannot take it: the rest of this message is lost, as on a real line.
        const unsigned lost = piece.message;
        while (!pending_.empty() && pending_.front().message == lost)
            pending_.pop_front();
    }
}

int Simulator::pollTimeout(TimePoint now) const {
    TimePoint next = std::min(nextReport_, nextNoise_);
    if (!pending_.empty())
        next = std::min(next, pending_.front().due);
    if (const auto remaining = rotator_.timeUntilStop())
        next = std::min(next, lastAdvance_ + std::chrono::ceil<Clock::duration>(*remaining));
    if (now < readPausedUntil_)
        next = std::min(next, readPausedUntil_);
    if (next == never)
        return -1;
    if (next <= now)
        return 0;
    const auto wait = std::chrono::ceil<milliseconds>(next - now).count();
    return static_cast<int>(std::min<decltype(wait)>(wait, 60000));
}

} // namespace

int runSimulator(const Options& options) {
    SignalPipe signals;
    if (!signals.valid()) {
        printError(std::string("cannot set up signal handling: ") + std::strerror(errno));
        return 1;
    }
    Port port;
    std::string error;
    const bool opened = options.device.empty()
                            ? port.openPseudoTerminal(error)
                            : port.openDevice(options.device, options.baud, error);
    if (!opened) {
        printError(error);
        return 1;
    }
    printLine((port.isPseudoTerminal() ? "PTY " : "DEVICE ") + port.path());

    AliasLink alias;
    if (options.alias) {
        const std::string dir = options.aliasDir.empty() ? defaultAliasDir() : options.aliasDir;
        if (dir.empty()) {
            printError("no alias directory: set HOME or XDG_CONFIG_HOME, or use --alias-dir");
            return 1;
        }
        const auto result = alias.bind(dir, *options.alias, port.path());
        if (result.status != AliasLink::Status::Ok) {
            printError(result.message);
            return result.status == AliasLink::Status::Conflict ? 2 : 1;
        }
        printLine("ALIAS " + alias.path());
    }

    Simulator simulator(options, port, signals.readFd());
    return simulator.run();
}

} // namespace roteka::sim

#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace roteka::bench {

// Responsibilities: reads a benchmark child's commands from its standard input, one a line,
// and hands each line to the callback; the event loop ends with code 1 when the input closes.
class CommandInput {
public:
    explicit CommandInput(std::function<void(const std::string&)> onLine);
    void setEnabled(bool enabled) { notifier_.setEnabled(enabled); }

private:
    QSocketNotifier notifier_;
    std::string pending_;
    std::function<void(const std::string&)> onLine_;
};

// Monotonic clock in nanoseconds; the same clock in every process on the machine.
std::int64_t nowNs();

// The p-th percentile (0-100) of the samples, nearest rank.
double percentile(std::vector<double> samples, double p);
double median(const std::vector<double>& samples);

// The controller's reply for an azimuth, "AZ=ddd" CR LF.
QByteArray reply(int azimuth);
// The azimuth of the i-th reply of a stream in which no two consecutive replies are equal
// and none equals the window's initial "000": 1, 2, ... 359, 1, 2, ...
int streamAzimuth(long long i);

// Responsibilities: a child process started with posix_spawn, its standard input and output
// on pipes; reads its output line by line with a timeout; reaps it with its resource usage.
class Child {
public:
    Child(const QString& program, const QStringList& arguments);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    std::int64_t startedNs() const { return startedNs_; }
    // The next output line without its line end; empty on end of output or timeout.
    std::string readLine(int timeoutMs);
    void writeLine(const std::string& line);
    // Waits for the exit; returns whether the child exited with status 0.
    bool wait(rusage& usage, int timeoutMs);

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::int64_t startedNs_ = 0;
    std::string pending_;
};

// The peak resident memory of this process since its program started (VmHWM), in KiB. Unlike
// ru_maxrss it does not carry over the resident size of a parent that spawned it.
long long peakResidentKiB();

// User plus system CPU time the process has used so far, in seconds.
double cpuSeconds(pid_t pid);

// Prints one result line: the figure, its baseline from the same run, their ratio, the
// target and whether it is met.
void printResult(const char* name, const QString& figure, const QString& baseline, double ratio,
                 const QString& target, bool met);

// Reads exactly count bytes from fd, waiting at most timeoutMs for each; false on a timeout or
// the end of the input.
bool readExactly(int fd, char* buffer, std::size_t count, int timeoutMs);
// Reads whatever waits on fd without blocking; returns the byte count.
std::size_t drain(int fd);

} // namespace roteka::bench

// CPU at line rate: replies at the pace of a 115,200-baud line (11,520 bytes, 1,440 replies a
// second) delivered in small bursts every millisecond over a pseudo-terminal into the program's
// window on the real platform services; the process's CPU time per second of wall time and its
// paints per second, against the serial transport alone (a process that only reads the line).
#include "Benchmarks.h"
#include "Measure.h"
#include "PtyPeer.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace roteka::bench {

namespace {

constexpr double BytesPerSecond = 115200.0 / 10.0;
constexpr double WarmUpSeconds = 1.0;

// Responsibilities: writes the endless reply stream at line pace, a burst every millisecond.
class Pacer {
public:
    explicit Pacer(RawPty& pty) : pty_(pty) {}

    void run(double seconds) {
        if (startNs_ == 0)
            startNs_ = nowNs();
        timespec tick{};
        ::clock_gettime(CLOCK_MONOTONIC, &tick);
        const std::int64_t until = nowNs() + std::int64_t(seconds * 1e9);
        while (nowNs() < until) {
            tick.tv_nsec += 1000000;
            if (tick.tv_nsec >= 1000000000) {
                tick.tv_nsec -= 1000000000;
                ++tick.tv_sec;
            }
            while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, nullptr) == EINTR) {
            }
            const auto due =
                static_cast<long long>(double(nowNs() - startNs_) / 1e9 * BytesPerSecond);
            QByteArray burst;
            while (sent_ + burst.size() < due) {
                if (offset_ == current_.size()) {
                    current_ = reply(streamAzimuth(index_++));
                    offset_ = 0;
                }
                const qsizetype take =
                    qMin(current_.size() - offset_, qsizetype(due - sent_ - burst.size()));
                burst.append(current_.constData() + offset_, take);
                offset_ += take;
                if (offset_ == current_.size())
                    ++completed_;
            }
            pty_.writeAll(pty_.master(), burst);
            sent_ += burst.size();
            drain(pty_.master());
        }
    }
    long long completed() const { return completed_; }

private:
    RawPty& pty_;
    std::int64_t startNs_ = 0;
    long long sent_ = 0;
    long long index_ = 0;
    long long completed_ = 0;
    QByteArray current_;
    qsizetype offset_ = 0;
};

// Responsibilities: network clients that each ask for the position ten times a second, on
// threads of their own, timing each poll from its write to its whole reply.
class Pollers {
public:
    static constexpr int Clients = 8;

    void start(quint16 port) {
        for (int i = 0; i < Clients; ++i) {
            threads_.emplace_back([this, port, i] {
                const int fd = connectedClient(port);
                std::vector<double> latency;
                timespec tick{};
                ::clock_gettime(CLOCK_MONOTONIC, &tick);
                tick.tv_nsec = (tick.tv_nsec / 100000000 * 100000000 + i * 12500000) % 1000000000;
                while (fd >= 0 && !stop_) {
                    tick.tv_nsec += 100000000;
                    tick.tv_sec += tick.tv_nsec / 1000000000;
                    tick.tv_nsec %= 1000000000;
                    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, nullptr) ==
                           EINTR) {
                    }
                    const std::int64_t start = nowNs();
                    RawPty::writeAll(fd, "p\n", 2);
                    char reply[64];
                    std::size_t got = 0;
                    while (std::count(reply, reply + got, '\n') < 2 && got < sizeof reply &&
                           readExactly(fd, reply + got, 1, 1000))
                        ++got;
                    latency.push_back(std::count(reply, reply + got, '\n') == 2
                                          ? double(nowNs() - start) / 1e6
                                          : 1e9);
                }
                if (fd >= 0)
                    ::close(fd);
                const std::lock_guard lock(mutex_);
                milliseconds_.insert(milliseconds_.end(), latency.begin(), latency.end());
            });
        }
    }
    // Stops the clients; the time each poll took, in milliseconds (1e9 when it got no reply).
    std::vector<double> stop() {
        stop_ = true;
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
        return milliseconds_;
    }

private:
    std::vector<std::thread> threads_;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<double> milliseconds_;
};

// Responsibilities: a logger that asks the PstRotator listener for the azimuth ten times a second
// on a thread of its own, and times each question from its send to its answer at the port + 1.
class PstPoller {
public:
    // A free pair of loopback UDP ports, the second for the answers; false when there is none.
    bool reservePorts() {
        for (int attempt = 0; attempt < 50; ++attempt) {
            QUdpSocket probe;
            probe.bind(QHostAddress::LocalHost, 0);
            port_ = probe.localPort();
            probe.close();
            answers_ = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(quint16(port_ + 1));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(answers_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                return true;
            ::close(answers_);
        }
        return false;
    }
    quint16 port() const { return port_; }

    void start() {
        thread_ = std::thread([this] {
            const int sender = udpSocket();
            timespec tick{};
            ::clock_gettime(CLOCK_MONOTONIC, &tick);
            while (!stop_) {
                tick.tv_nsec += 100000000;
                tick.tv_sec += tick.tv_nsec / 1000000000;
                tick.tv_nsec %= 1000000000;
                while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, nullptr) == EINTR) {
                }
                const std::int64_t start = nowNs();
                sendDatagram(sender, port_, "<PST>AZ?</PST>");
                pollfd p{answers_, POLLIN, 0};
                char answer[16];
                const bool answered =
                    ::poll(&p, 1, 1000) > 0 && ::recv(answers_, answer, sizeof answer, 0) == 7;
                milliseconds_.push_back(answered ? double(nowNs() - start) / 1e6 : 1e9);
            }
            ::close(sender);
        });
    }
    // Stops the logger; the time each question took, in milliseconds (1e9 unanswered).
    std::vector<double> stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        ::close(answers_);
        return milliseconds_;
    }

private:
    quint16 port_ = 0;
    int answers_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
    std::vector<double> milliseconds_;
};

struct LineRateResult {
    double cpuShare = 0; // of one core
    double seconds = 0;
    long long replies = 0;
    std::string report;
};

bool serveAndMeasure(RawPty& pty, const QString& program, const QStringList& arguments,
                     double seconds, LineRateResult& result, Pollers* pollers = nullptr,
                     quint16 port = 0, PstPoller* logger = nullptr) {
    Child child(program, arguments);
    const std::string ready = child.readLine(30000);
    if (ready != "READY port=1") {
        std::printf("line rate: %s did not come up with its port open (\"%s\")\n",
                    qPrintable(program), ready.c_str());
        return false;
    }
    drain(pty.master());
    Pacer pacer(pty);
    pacer.run(WarmUpSeconds);
    child.writeLine("MARK");
    const long long firstReply = pacer.completed();
    if (pollers)
        pollers->start(port);
    if (logger)
        logger->start();
    const double cpuBefore = cpuSeconds(child.pid());
    const std::int64_t wallBefore = nowNs();
    pacer.run(seconds);
    const double cpuAfter = cpuSeconds(child.pid());
    const std::int64_t wallAfter = nowNs();
    if (pollers)
        pollers->stop();
    if (logger)
        logger->stop();
    result.replies = pacer.completed() - firstReply;
    ::usleep(100000);
    child.writeLine("REPORT");
    const std::string marked = child.readLine(10000);
    result.report = child.readLine(10000);
    rusage usage{};
    if (marked.rfind("MARKED", 0) != 0 || result.report.empty() || !child.wait(usage, 10000)) {
        std::printf("line rate: %s did not report (\"%s\", \"%s\")\n", qPrintable(program),
                    marked.c_str(), result.report.c_str());
        return false;
    }
    result.seconds = double(wallAfter - wallBefore) / 1e9;
    result.cpuShare = (cpuAfter - cpuBefore) / result.seconds;
    return true;
}

// The window's CPU at line rate while it answered the questions timed (in milliseconds), beside
// the window's without them; every question is to be answered within 5 ms, and enough of them.
void printPolled(const char* title, const LineRateResult& asked, const LineRateResult& window,
                 const std::vector<double>& ms, const char* what, double enough) {
    const double slowest = ms.empty() ? 1e9 : percentile(ms, 100);
    printResult(title,
                QStringLiteral("window %1 % of one core; %2 %3, answered in p50 %4 ms, p99 %5 ms, "
                               "max %6 ms")
                    .arg(asked.cpuShare * 100, 0, 'f', 2)
                    .arg(ms.size())
                    .arg(QLatin1String(what))
                    .arg(ms.empty() ? 0 : percentile(ms, 50), 0, 'f', 2)
                    .arg(ms.empty() ? 0 : percentile(ms, 99), 0, 'f', 2)
                    .arg(slowest, 0, 'f', 2),
                QStringLiteral("window without them %1 % of one core")
                    .arg(window.cpuShare * 100, 0, 'f', 2),
                window.cpuShare > 0 ? asked.cpuShare / window.cpuShare : 0,
                QStringLiteral("< 10 % of one core, every one answered within 5 ms"),
                asked.cpuShare < 0.10 && slowest < 5 && double(ms.size()) > enough);
}

} // namespace

bool runLineRate(const Options& options) {
    test::BoundController station(6);
    station.writeSettings(QStringLiteral("115200,N,8,1"));
    RawPty& controller = *station.controller;

    LineRateResult window;
    LineRateResult transport;
    LineRateResult traced;
    LineRateResult polled;
    LineRateResult logged;
    PstPoller logger;
    QTemporaryDir traceDir;
    const QString traceFile = traceDir.filePath(QStringLiteral("trace.txt"));
    Pollers pollers;
    QTcpServer probe; // a free port
    probe.listen(QHostAddress::LocalHost);
    const quint16 listenPort = probe.serverPort();
    probe.close();
    if (!serveAndMeasure(controller, options.windowProgram, {QStringLiteral("--serve")},
                         options.lineRateSeconds, window) ||
        !serveAndMeasure(controller, options.minimalProgram,
                         {QStringLiteral("--serve"), controller.slavePath()},
                         options.lineRateSeconds, transport) ||
        !serveAndMeasure(controller, options.windowProgram,
                         {QStringLiteral("--serve"), QStringLiteral("--trace"), traceFile},
                         options.lineRateSeconds, traced) ||
        !serveAndMeasure(
            controller, options.windowProgram,
            {QStringLiteral("--serve"), QStringLiteral("--listen"), QString::number(listenPort)},
            options.lineRateSeconds, polled, &pollers, listenPort) ||
        !logger.reservePorts() ||
        !serveAndMeasure(
            controller, options.windowProgram,
            {QStringLiteral("--serve"), QStringLiteral("--pst"), QString::number(logger.port())},
            options.lineRateSeconds, logged, nullptr, 0, &logger))
        return false;
    const std::vector<double> polls = pollers.stop();
    const std::vector<double> questions = logger.stop();

    long long picture = 0;
    long long label = 0;
    long long changes = 0;
    int port = 0;
    if (std::sscanf(window.report.c_str(), "PAINTS picture=%lld label=%lld changes=%lld port=%d",
                    &picture, &label, &changes, &port) != 4) {
        std::printf("line rate: unreadable report \"%s\"\n", window.report.c_str());
        return false;
    }
    printResult("CPU at line rate (1,440 replies/s)",
                QStringLiteral("window %1 % of one core over %2 s; %3 replies sent, %4 shown; "
                               "paints/s: map %5, caption %6")
                    .arg(window.cpuShare * 100, 0, 'f', 2)
                    .arg(window.seconds, 0, 'f', 1)
                    .arg(window.replies)
                    .arg(changes)
                    .arg(double(picture) / window.seconds, 0, 'f', 1)
                    .arg(double(label) / window.seconds, 0, 'f', 1),
                QStringLiteral("serial transport alone %1 % of one core")
                    .arg(transport.cpuShare * 100, 0, 'f', 2),
                transport.cpuShare > 0 ? window.cpuShare / transport.cpuShare : 0,
                QStringLiteral("< 10 % of one core"), window.cpuShare < 0.10);
    QFile trace(traceFile);
    const double traceMiB = double(trace.size()) / (1 << 20);
    printResult(
        "CPU at line rate, traced",
        QStringLiteral("window with --trace %1 % of one core; %2 MiB of trace")
            .arg(traced.cpuShare * 100, 0, 'f', 2)
            .arg(traceMiB, 0, 'f', 1),
        QStringLiteral("window without it %1 % of one core").arg(window.cpuShare * 100, 0, 'f', 2),
        window.cpuShare > 0 ? traced.cpuShare / window.cpuShare : 0,
        QStringLiteral("< 10 % of one core"), traced.cpuShare < 0.10);
    printPolled("CPU at line rate, 8 clients polling", polled, window, polls, "polls",
                options.lineRateSeconds * 8 * Pollers::Clients);
    printPolled("CPU at line rate, a logger asking AZ? 10/s", logged, window, questions,
                "questions", options.lineRateSeconds * 8);
    const bool allShown = changes >= window.replies - 2 && changes <= window.replies + 2;
    if (!allShown || port != 1)
        std::printf("line rate: REPLIES LOST or port closed\n");
    return allShown && port == 1;
}

} // namespace roteka::bench

#include "Measure.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace roteka::bench {

CommandInput::CommandInput(std::function<void(const std::string&)> onLine)
    : notifier_(STDIN_FILENO, QSocketNotifier::Read), onLine_(std::move(onLine)) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::exit(1);
            return;
        }
        pending_.append(buffer, std::size_t(n));
        for (auto end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            onLine_(line);
            std::fflush(stdout);
        }
    });
}

std::int64_t nowNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double percentile(std::vector<double> samples, double p) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank = std::size_t(std::ceil(p / 100.0 * double(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

double median(const std::vector<double>& samples) {
    return percentile(samples, 50);
}

QByteArray reply(int azimuth) {
    char text[16];
    std::snprintf(text, sizeof text, "AZ=%03d\r\n", azimuth);
    return QByteArray(text);
}

int streamAzimuth(long long i) {
    return int(i % 359) + 1;
}

Child::Child(const QString& program, const QStringList& arguments) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);

    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> storage{path};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    startedNs_ = nowNs();
    const int error =
        ::posix_spawn(&pid_, path.constData(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    if (error != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + path.toStdString());
    }
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(in_);
    ::close(out_);
}

std::string Child::readLine(int timeoutMs) {
    const std::int64_t deadline = nowNs() + std::int64_t(timeoutMs) * 1000000;
    for (;;) {
        const auto end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const std::int64_t left = deadline - nowNs();
        if (left <= 0)
            return {};
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, int(left / 1000000) + 1) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        pending_.append(buffer, std::size_t(n));
    }
}

void Child::writeLine(const std::string& line) {
    const std::string text = line + '\n';
    if (::write(in_, text.data(), text.size()) != ssize_t(text.size()))
        throw std::runtime_error("cannot write to the child");
}

bool Child::wait(rusage& usage, int timeoutMs) {
    const std::int64_t deadline = nowNs() + std::int64_t(timeoutMs) * 1000000;
    int status = 0;
    for (;;) {
        const pid_t done = ::wait4(pid_, &status, WNOHANG, &usage);
        if (done == pid_)
            break;
        if (done < 0)
            return false;
        if (nowNs() > deadline) {
            ::kill(pid_, SIGKILL);
            ::wait4(pid_, &status, 0, &usage);
            pid_ = -1;
            return false;
        }
        ::usleep(1000);
    }
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

long long peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

double cpuSeconds(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // After the command name: state is field 3; utime and stime are fields 14 and 15.
    if (fields.size() < 13)
        return 0;
    const double ticks = double(fields[11].toLongLong() + fields[12].toLongLong());
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

void printResult(const char* name, const QString& figure, const QString& baseline, double ratio,
                 const QString& target, bool met) {
    std::printf("%-34s %s\n", name, qPrintable(figure));
    std::printf("%-34s baseline %s\n", "", qPrintable(baseline));
    std::printf("%-34s ratio %.3g   target %s: %s\n\n", "", ratio, qPrintable(target),
                met ? "met" : "MISSED");
    std::fflush(stdout);
}

bool readExactly(int fd, char* buffer, std::size_t count, int timeoutMs) {
    for (std::size_t done = 0; done < count;) {
        const ssize_t n = ::read(fd, buffer + done, count - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR) || ::poll(&p, 1, timeoutMs) <= 0)
            return false;
    }
    return true;
}

std::size_t drain(int fd) {
    std::size_t total = 0;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        total += std::size_t(n);
    return total;
}

} // namespace roteka::bench

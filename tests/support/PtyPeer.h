#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstddef>
#include <sys/resource.h>

namespace roteka::test {

// Responsibilities: a temporary current directory holding the port aliases and the per-user data
// for the test's lifetime.
class TestDirectory {
public:
    TestDirectory();
    ~TestDirectory();
    QString path() const { return dir_.path(); }
    QString aliasDir() const { return dir_.path() + QStringLiteral("/config/roteka/ports"); }
    void writeFile(const QString& name, const QByteArray& content) const;
    QByteArray readFile(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString previousDir_;
    QByteArray previousConfig_;
};

// Responsibilities: a raw, non-blocking pseudo-terminal pair, optionally bound as COM<n>; the
// master end is the controller's, its reads keep the event loop running.
class PtyPeer {
public:
    PtyPeer();
    PtyPeer(const QString& aliasDir, int portNumber);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    int master() const { return master_; }
    int slave() const { return slave_; }
    QString slavePath() const { return slavePath_; }
    void write(const QByteArray& bytes) { writeAll(master_, bytes); }
    // Until at least count bytes have arrived at the master end or the time is up.
    QByteArray readUntil(qsizetype count, int timeoutMilliseconds);
    // Both ends closed: the device goes away.
    void hangUp();

    static void writeAll(int fd, const char* data, std::size_t size);
    static void writeAll(int fd, const QByteArray& bytes) {
        writeAll(fd, bytes.constData(), std::size_t(bytes.size()));
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString aliasPath_;
};

// Runs the Qt event loop until the condition holds or the time is up; returns the condition.
template <class Condition> bool waitFor(Condition&& condition, int timeoutMilliseconds = 5000) {
    QDeadlineTimer deadline(timeoutMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    return true;
}

// Responsibilities: while it lives, files cannot grow beyond a few bytes (standing in for a
// full disk; it stops root too), and a write past that fails instead of killing the process.
struct FileSizeLimit {
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{4, saved.rlim_max};
        previous = ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previous);
    }
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

} // namespace roteka::test

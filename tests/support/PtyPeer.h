#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>

namespace roteka::test {

// Responsibilities: a temporary directory made the current working directory for the test's
// lifetime, with the port alias directory inside it (XDG_CONFIG_HOME points there).
class TestDirectory {
public:
    TestDirectory();
    ~TestDirectory();
    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

    QString path() const { return dir_.path(); }
    QString aliasDir() const;
    void writeFile(const QString& name, const QByteArray& content) const;
    QByteArray readFile(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString previousDir_;
    QByteArray previousConfig_;
};

// Responsibilities: one pseudo-terminal pair opened raw, both ends non-blocking; optionally
// bound as COM<n> in a port alias directory (the link is removed again). Plain reads and writes
// on either end, without the event loop.
class RawPty {
public:
    RawPty();
    ~RawPty();
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    void bindAlias(const QString& aliasDir, int number);
    int master() const { return master_; }
    int slave() const { return slave_; }
    QString slavePath() const { return slavePath_; }
    // Both ends closed: the device goes away.
    void close();

    static void writeAll(int fd, const char* data, std::size_t size);
    static void writeAll(int fd, const QByteArray& bytes) {
        writeAll(fd, bytes.constData(), std::size_t(bytes.size()));
    }
    // Reads exactly count bytes from fd, waiting at most timeoutMs for each; false on timeout.
    static bool readExactly(int fd, char* buffer, std::size_t count, int timeoutMs);
    // Reads whatever is waiting on fd without blocking; returns the byte count.
    static std::size_t drain(int fd);

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString aliasPath_;
};

// Responsibilities: the controller's end of a real pseudo-terminal, bound to port number
// COM<n> through the alias directory. The test writes what the controller says and reads
// what the program sent; reads keep the Qt event loop running while they wait.
class PtyPeer {
public:
    PtyPeer(const QString& aliasDir, int portNumber);

    QString slavePath() const { return pty_.slavePath(); }
    void write(const QByteArray& bytes) { RawPty::writeAll(pty_.master(), bytes); }
    // Everything that arrives within the time given.
    QByteArray readFor(int milliseconds);
    // Until at least count bytes have arrived or the time is up.
    QByteArray readUntil(qsizetype count, int timeoutMilliseconds);
    // The device goes away: the controller's end is closed.
    void hangUp() { pty_.close(); }
    // The pair itself, for plain reads and writes without the event loop.
    RawPty& raw() { return pty_; }

private:
    RawPty pty_;
};

// Runs the Qt event loop until the condition holds or the time is up; returns the condition.
template <class Condition> bool waitFor(Condition&& condition, int timeoutMilliseconds = 5000);

} // namespace roteka::test

#include "PtyPeer.inl"

#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

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

// Responsibilities: the controller's end of a real pseudo-terminal, bound to port number
// COM<n> through the alias directory. The test writes what the controller says and reads
// what the program sent; reads keep the Qt event loop running while they wait.
class PtyPeer {
public:
    PtyPeer(const QString& aliasDir, int portNumber);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    QString slavePath() const { return slavePath_; }
    void write(const QByteArray& bytes);
    // Everything that arrives within the time given.
    QByteArray readFor(int milliseconds);
    // Until at least count bytes have arrived or the time is up.
    QByteArray readUntil(qsizetype count, int timeoutMilliseconds);
    // The device goes away: the controller's end is closed.
    void hangUp();

private:
    int master_ = -1;
    int slaveKeeper_ = -1;
    QString slavePath_;
    QString aliasPath_;
};

// Runs the Qt event loop until the condition holds or the time is up; returns the condition.
template <class Condition> bool waitFor(Condition&& condition, int timeoutMilliseconds = 5000);

} // namespace roteka::test

#include "PtyPeer.inl"

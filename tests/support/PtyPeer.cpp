#include "PtyPeer.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace roteka::test {

TestDirectory::TestDirectory()
    : previousDir_(QDir::currentPath()), previousConfig_(qgetenv("XDG_CONFIG_HOME")) {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary directory");
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/data")));
    QDir().mkpath(aliasDir());
}

TestDirectory::~TestDirectory() {
    QDir::setCurrent(previousDir_);
    previousConfig_.isEmpty() ? qunsetenv("XDG_CONFIG_HOME")
                              : qputenv("XDG_CONFIG_HOME", previousConfig_);
    qunsetenv("XDG_DATA_HOME");
}

void TestDirectory::writeFile(const QString& name, const QByteArray& content) const {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write a test file");
}

QByteArray TestDirectory::readFile(const QString& name) const {
    QFile file(dir_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

PtyPeer::PtyPeer() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
        slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    }
    if (slave_ < 0) {
        hangUp();
        throw std::runtime_error("no pseudo-terminal");
    }
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
}

PtyPeer::PtyPeer(const QString& aliasDir, int portNumber) : PtyPeer() {
    aliasPath_ = aliasDir + QStringLiteral("/COM%1").arg(portNumber);
    QFile::remove(aliasPath_);
    if (!QFile::link(slavePath_, aliasPath_))
        throw std::runtime_error("cannot bind the port alias");
}

PtyPeer::~PtyPeer() {
    if (!aliasPath_.isEmpty() && QFile::symLinkTarget(aliasPath_) == slavePath_)
        QFile::remove(aliasPath_);
    hangUp();
}

void PtyPeer::hangUp() {
    for (int* fd : {&slave_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

QByteArray PtyPeer::readUntil(qsizetype count, int timeoutMilliseconds) {
    QByteArray received;
    waitFor(
        [&] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;)
                received.append(buffer, n);
            return received.size() >= count;
        },
        timeoutMilliseconds);
    return received;
}

void PtyPeer::writeAll(int fd, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0) {
            done += std::size_t(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the pseudo-terminal failed");
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

} // namespace roteka::test

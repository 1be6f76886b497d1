#include "PtyPeer.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace roteka::test {

TestDirectory::TestDirectory() {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary directory");
    previousDir_ = QDir::currentPath();
    previousConfig_ = qgetenv("XDG_CONFIG_HOME");
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/config")));
    QDir().mkpath(aliasDir());
}

TestDirectory::~TestDirectory() {
    QDir::setCurrent(previousDir_);
    if (previousConfig_.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", previousConfig_);
}

QString TestDirectory::aliasDir() const {
    return dir_.path() + QStringLiteral("/config/roteka/ports");
}

void TestDirectory::writeFile(const QString& name, const QByteArray& content) const {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write a test file");
}

QByteArray TestDirectory::readFile(const QString& name) const {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TestDirectory::exists(const QString& name) const {
    return QFile::exists(dir_.filePath(name));
}

RawPty::RawPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        close();
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) {
        close();
        throw std::runtime_error("cannot open the pseudo-terminal's slave");
    }
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
}

RawPty::~RawPty() {
    if (!aliasPath_.isEmpty() && QFile::symLinkTarget(aliasPath_) == slavePath_)
        QFile::remove(aliasPath_);
    close();
}

void RawPty::close() {
    for (int* fd : {&slave_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void RawPty::bindAlias(const QString& aliasDir, int number) {
    aliasPath_ = aliasDir + QStringLiteral("/COM%1").arg(number);
    QFile::remove(aliasPath_);
    if (!QFile::link(slavePath_, aliasPath_))
        throw std::runtime_error("cannot bind the port alias");
}

void RawPty::writeAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
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

bool RawPty::readExactly(int fd, char* buffer, std::size_t count, int timeoutMs) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, buffer + done, count - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
    }
    return true;
}

std::size_t RawPty::drain(int fd) {
    std::size_t total = 0;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return total;
        total += std::size_t(n);
    }
}

PtyPeer::PtyPeer(const QString& aliasDir, int portNumber) {
    pty_.bindAlias(aliasDir, portNumber);
}

QByteArray PtyPeer::readUntil(qsizetype count, int timeoutMilliseconds) {
    QByteArray received;
    waitFor(
        [&] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(pty_.master(), buffer, sizeof buffer);
                if (n <= 0)
                    break;
                received.append(buffer, n);
            }
            return received.size() >= count;
        },
        timeoutMilliseconds);
    return received;
}

QByteArray PtyPeer::readFor(int milliseconds) {
    return readUntil(std::numeric_limits<qsizetype>::max(), milliseconds);
}

} // namespace roteka::test

#include "PtyPeer.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
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

PtyPeer::PtyPeer(const QString& aliasDir, int portNumber) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    slaveKeeper_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    if (slaveKeeper_ < 0)
        throw std::runtime_error("cannot open the pseudo-terminal's slave");
    termios raw{};
    ::tcgetattr(slaveKeeper_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slaveKeeper_, TCSANOW, &raw);
    aliasPath_ = aliasDir + QStringLiteral("/COM%1").arg(portNumber);
    QFile::remove(aliasPath_);
    if (!QFile::link(slavePath_, aliasPath_))
        throw std::runtime_error("cannot bind the port alias");
}

PtyPeer::~PtyPeer() {
    if (QFile::symLinkTarget(aliasPath_) == slavePath_)
        QFile::remove(aliasPath_);
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
    if (master_ >= 0)
        ::close(master_);
}

void PtyPeer::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the pseudo-terminal failed");
        } else {
            pollfd fd{master_, POLLOUT, 0};
            ::poll(&fd, 1, 10);
        }
    }
}

QByteArray PtyPeer::readUntil(qsizetype count, int timeoutMilliseconds) {
    QByteArray received;
    waitFor(
        [&] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
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

void PtyPeer::hangUp() {
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
    slaveKeeper_ = -1;
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

} // namespace roteka::test

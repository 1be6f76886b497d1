#include "port.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace roteka::sim {

namespace {

constexpr int staleInputLimit = 512;

std::string describe(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool setFlags(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

speed_t speedFor(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

} // namespace

Port::~Port() {
    if (slaveFd_ >= 0)
        ::close(slaveFd_);
    if (fd_ >= 0)
        ::close(fd_);
}

bool Port::openPseudoTerminal(std::string& error) {
    fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        error = describe("cannot open a pseudo-terminal");
        return false;
    }
    char name[256];
    if (::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0 || ::ptsname_r(fd_, name, sizeof name) != 0) {
        error = describe("cannot set up the pseudo-terminal");
        return false;
    }
    path_ = name;
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveFd_ < 0) {
        error = describe("cannot open " + path_);
        return false;
    }
    termios tio{};
    if (::tcgetattr(slaveFd_, &tio) != 0) {
        error = describe("cannot read the settings of " + path_);
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(slaveFd_, TCSANOW, &tio) != 0 || !setFlags(fd_)) {
        error = describe("cannot configure " + path_);
        return false;
    }
    return true;
}

bool Port::openDevice(const std::string& path, int baud, std::string& error) {
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error = describe("cannot open " + path);
        return false;
    }
    termios tio{};
    if (!::isatty(fd_) || ::tcgetattr(fd_, &tio) != 0) {
        error = path + " is not a serial device";
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS | PARENB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speedFor(baud)) != 0 || ::cfsetospeed(&tio, speedFor(baud)) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0 || !setFlags(fd_)) {
        error = describe("cannot configure " + path);
        return false;
    }
    ::tcflush(fd_, TCIOFLUSH);
    return true;
}

void Port::discardStaleInput() {
    int waiting = 0;
    if (slaveFd_ >= 0 && ::ioctl(slaveFd_, FIONREAD, &waiting) == 0 && waiting > staleInputLimit)
        ::tcflush(slaveFd_, TCIFLUSH);
}

} // namespace roteka::sim

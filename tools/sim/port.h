#pragma once

#include <string>

namespace roteka::sim {

// Responsibilities: owns the descriptors of the line the simulator talks on: the master side
// of a pseudo-terminal, whose slave side it keeps open (raw) for its whole life so the master
// never sees a hang-up while no client is attached, or a real serial device set up raw,
// 8N1, without flow control. The line descriptor is non-blocking.
class Port {
public:
    Port() = default;
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    bool openPseudoTerminal(std::string& error);
    bool openDevice(const std::string& path, int baud, std::string& error);

    int fd() const { return fd_; }
    bool isPseudoTerminal() const { return slaveFd_ >= 0; }
    // The slave path of the pseudo-terminal, or the device path.
    const std::string& path() const { return path_; }
    // Throws away what has piled up unread on the pseudo-terminal beyond a small amount,
    // as a serial line loses what nobody listens to.
    void discardStaleInput();

private:
    int fd_ = -1;
    int slaveFd_ = -1;
    std::string path_;
};

} // namespace roteka::sim

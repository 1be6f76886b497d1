#pragma once

#include <string>

namespace roteka::sim {

// $XDG_CONFIG_HOME/roteka/ports when that is an absolute path, else <home>/.config/roteka/ports;
// empty when neither is known.
std::string aliasDirFromEnvironment(const char* xdgConfigHome, const char* home);
std::string defaultAliasDir();

// Responsibilities: owns the COM<N> symlink that binds a port alias to the simulator's
// pseudo-terminal. It creates the alias directory, replaces an existing symlink of that name
// atomically, refuses to touch anything else, and removes the link when released or
// destroyed, but only while the link still points at our terminal.
class AliasLink {
public:
    enum class Status { Ok, Conflict, Failed };
    struct Result {
        Status status = Status::Ok;
        std::string message;
    };

    AliasLink() = default;
    ~AliasLink();
    AliasLink(const AliasLink&) = delete;
    AliasLink& operator=(const AliasLink&) = delete;

    Result bind(const std::string& directory, int number, const std::string& target);
    void release();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string target_;
};

} // namespace roteka::sim

#include "alias.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace roteka::sim {

namespace fs = std::filesystem;

namespace {
std::string readLink(const std::string& path) {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size())
        return {};
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}
} // namespace

std::string aliasDirFromEnvironment(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return (fs::path(xdgConfigHome) / "roteka" / "ports").string();
    if (home && home[0] != '\0')
        return (fs::path(home) / ".config" / "roteka" / "ports").string();
    return {};
}

std::string defaultAliasDir() {
    const char* home = std::getenv("HOME");
    if (!home || home[0] == '\0') {
        if (const passwd* entry = ::getpwuid(::getuid()))
            home = entry->pw_dir;
    }
    return aliasDirFromEnvironment(std::getenv("XDG_CONFIG_HOME"), home);
}

AliasLink::~AliasLink() {
    release();
}

AliasLink::Result AliasLink::bind(const std::string& directory, int number,
                                  const std::string& target) {
    release();
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec)
        return {Status::Failed,
                "cannot create the alias directory " + directory + ": " + ec.message()};
    const fs::path dir = fs::absolute(directory, ec);
    if (ec)
        return {Status::Failed, "cannot resolve the alias directory " + directory};
    const std::string name = "COM" + std::to_string(number);
    const std::string link = (dir / name).string();

    struct stat info {};
    if (::lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
        return {Status::Conflict, link + " exists and is not a symlink; not replacing it"};

    const std::string temporary =
        (dir / ("." + name + ".roteka-sim." + std::to_string(::getpid()))).string();
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0)
        return {Status::Failed,
                "cannot create a symlink in " + dir.string() + ": " + std::strerror(errno)};
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return {error == EISDIR ? Status::Conflict : Status::Failed,
                "cannot create " + link + ": " + std::strerror(error)};
    }
    path_ = link;
    target_ = target;
    return {Status::Ok, {}};
}

void AliasLink::release() {
    if (path_.empty())
        return;
    if (readLink(path_) == target_)
        ::unlink(path_.c_str());
    path_.clear();
    target_.clear();
}

} // namespace roteka::sim

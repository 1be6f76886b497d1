#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace roteka {

// Where the network server listens: a host (an address, or a name to look up) and a port.
struct ListenAddress {
    QString host;
    quint16 port = 0;
};

// "[HOST:]PORT": the host 127.0.0.1 when none is given, an IPv6 address in brackets
// ("[::1]:4533"), the port 1 to 65535; none for anything else.
std::optional<ListenAddress> parseListenAddress(const QString& text);

struct Options {
    std::optional<ListenAddress> listen;
    // The file the controller line's trace is appended to.
    std::optional<QString> trace;
};

// The program's command line (the program's name first): the options, or the exit status
// after the help or the version was printed (0) or a bad command line was reported (2).
std::variant<Options, int> parseCommandLine(const QStringList& arguments);

} // namespace roteka

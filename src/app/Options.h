#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace roteka {

// Where a network service listens: a host (an address, or a name to look up) and a port.
struct ListenAddress {
    QString host;
    quint16 port = 0;
};

// "[HOST:]PORT": the host 127.0.0.1 when none is given, an IPv6 address in brackets
// ("[::1]:4533"), the port 1 to 65535; none for anything else.
std::optional<ListenAddress> parseListenAddress(const QString& text);

// What the program serves, from its command line and its configuration file.
struct Options {
    std::optional<ListenAddress> listen; // the rotator network protocol over TCP
    std::optional<ListenAddress> n1mm;   // N1MM rotor packets over UDP
    std::optional<ListenAddress> pst;    // PstRotator UDP control
    std::optional<QString> rotorName;    // the rotor name N1MM packets must carry
    std::optional<QString> trace;        // the file the controller line's trace is appended to
    // Values of the configuration file that could not be used, each naming the file and the key;
    // the program starts without those services.
    QStringList problems;
};

// The program's command line (the program's name first): the options, or the exit status
// after the help or the version was printed (0) or a bad command line was reported (2).
std::variant<Options, int> parseCommandLine(const QStringList& arguments);

// The configuration file: roteka.conf in the per-user configuration folder.
QString configFilePath();

// Adds to the options the configuration file's values of the options the command line did not
// set. The file is INI, its keys named like the options (listen, n1mm, pst, rotor-name, trace); a
// missing file sets nothing. A value that is not good, or a key that is not known, becomes a
// problem, worded as the command line words it, and is logged.
void addConfigFile(Options& options, const QString& path);

} // namespace roteka

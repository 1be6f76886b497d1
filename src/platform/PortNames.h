#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace roteka {

// How port number n ("COM n") names a device. On Windows it is the system's own COMn. On
// Linux and other POSIX systems a symlink COM<n> in the alias directory wins; otherwise a
// fixed table: COM1-32 /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31, COM65-96 /dev/ttyACM0-31,
// COM97-128 /dev/ttyAMA0-31, COM129-160 /dev/rfcomm0-31.

// $XDG_CONFIG_HOME/roteka/ports, or ~/.config/roteka/ports when that variable is unset.
QString aliasDirectory();

// The device that port number n names: the alias path (even when it points nowhere), the
// table's device, or an empty text when n names nothing.
QString devicePathForPort(int number, const QString& aliasDir);

// The table's port number of a device path such as /dev/ttyUSB0 (33); none for other paths.
std::optional<int> tablePortNumber(const QString& devicePath);

struct PortAlias {
    int number = 0;
    QString target; // the device the symlink points at, resolved
};

// The port number an alias file name gives: COM and 1 to 32767 written without a leading zero;
// none for any other name.
std::optional<int> aliasPortNumber(QStringView fileName);

// The aliases of the directory whose symlink points at an existing file, by number.
QList<PortAlias> listPortAliases(const QString& aliasDir);

} // namespace roteka

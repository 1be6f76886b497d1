#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace roteka {

// The rotator network protocol that satellite trackers and logging programs speak to a rotator
// server: one command a letter (or a backslash and a long name) followed by its arguments,
// several commands to a line if need be, lines ended by LF or CR LF. A command prefixed by "+"
// or another punctuation mark asks for the extended reply, which echoes the command, labels
// each value and ends in "RPRT <code>"; the mark is then the separator between the records.

// Reply codes: 0 done, and the negated error numbers of the protocol.
enum NetCode { NetOk = 0, NetInvalid = -1, NetIoError = -6, NetUnavailable = -11 };

struct NetCommand {
    enum Kind { GetPos, SetPos, Stop, Park, Move, GetInfo, DumpState, Quit, Unavailable, Invalid };
    Kind kind = Invalid;
    QString name;                  // long name, echoed in an extended reply ("set_pos")
    QStringList arguments;         // as received
    std::optional<char> separator; // set for an extended reply
};

// The commands of one line, in order. A command the protocol does not know, or one short of its
// arguments, is Invalid and ends the line; so does a command ROTEKA cannot do (Unavailable),
// whose arguments may run to the end of the line. "#" starts a comment.
QList<NetCommand> parseNetLine(QStringView line);

// set_pos's azimuth and elevation: decimal numbers (a comma taken for the point), finite, the
// azimuth between -180 and 450; none otherwise.
std::optional<std::pair<double, double>> netPosition(const QStringList& arguments);

// move's direction: -1 counter-clockwise, 1 clockwise, 0 one ROTEKA cannot turn (up, down);
// none for anything else or a speed that is neither -1 nor 1 to 100.
std::optional<int> netDirection(const QStringList& arguments);

// The reply to a command: its values as label and text (sent alone, one a line, in a plain reply)
// when it succeeded and has values, else "RPRT <code>".
QByteArray netReply(const NetCommand& command, int code,
                    const QList<std::pair<QString, QString>>& values = {});

} // namespace roteka

#include "rules/NetCommands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace roteka {

namespace {

struct Known {
    char letter; // 0: a long name only
    const char* name;
    int arguments; // -1: the rest of the line
    NetCommand::Kind kind;
};

// clang-format off
constexpr std::array<Known, 31> Commands{{
    {'P', "set_pos", 2, NetCommand::SetPos}, {'p', "get_pos", 0, NetCommand::GetPos},
    {'S', "stop", 0, NetCommand::Stop}, {'K', "park", 0, NetCommand::Park},
    {'M', "move", 2, NetCommand::Move}, {'_', "get_info", 0, NetCommand::GetInfo},
    {0, "dump_state", 0, NetCommand::DumpState}, {'q', "quit", 0, NetCommand::Quit}, {'Q', "quit", 0, NetCommand::Quit},
    {'R', "reset", 1, NetCommand::Unavailable}, {'C', "set_conf", 2, NetCommand::Unavailable},
    {'w', "send_cmd", -1, NetCommand::Unavailable}, {'1', "dump_caps", 0, NetCommand::Unavailable},
    {'s', "get_status", 0, NetCommand::Unavailable}, {'V', "set_level", 2, NetCommand::Unavailable},
    {'v', "get_level", 1, NetCommand::Unavailable}, {'U', "set_func", 2, NetCommand::Unavailable},
    {'u', "get_func", 1, NetCommand::Unavailable}, {'X', "set_parm", 2, NetCommand::Unavailable},
    {'x', "get_parm", 1, NetCommand::Unavailable}, {'L', "lonlat2loc", 3, NetCommand::Unavailable},
    {'l', "loc2lonlat", 1, NetCommand::Unavailable}, {'D', "dms2dec", 4, NetCommand::Unavailable},
    {'d', "dec2dms", 1, NetCommand::Unavailable}, {'E', "dmmm2dec", 3, NetCommand::Unavailable},
    {'e', "dec2dmmm", 1, NetCommand::Unavailable}, {'B', "qrb", 4, NetCommand::Unavailable},
    {'A', "a_sp2a_lp", 1, NetCommand::Unavailable}, {'a', "d_sp2d_lp", 1, NetCommand::Unavailable},
    {0, "pause", 1, NetCommand::Unavailable}, {0, "get_conf", 1, NetCommand::Unavailable}}};
// clang-format on

// What may stand before a command to ask for the extended reply: an ASCII punctuation mark
// other than those that start a long name, get_info or a comment.
bool isMark(QChar c) {
    return c.unicode() < 128 && std::ispunct(c.unicode()) && c != u'\\' && c != u'_' && c != u'#';
}

} // namespace

QList<NetCommand> parseNetLine(QStringView line) {
    QList<NetCommand> commands;
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < line.size() && line[at].isSpace())
            ++at;
    };
    for (skipBlanks(); at < line.size() && line[at] != u'#'; skipBlanks()) {
        NetCommand command;
        if (isMark(line[at])) {
            command.separator = line[at] == u'+' ? '\n' : char(line[at].unicode());
            if (line[at++] == u'+' && at < line.size() && isMark(line[at]) && line[at] != u'+')
                command.separator = char(line[at++].unicode());
        }
        QString name;
        char letter = 0;
        if (at < line.size() && line[at] == u'\\') {
            const qsizetype start = ++at;
            while (at < line.size() && (line[at].isLetterOrNumber() || line[at] == u'_') &&
                   line[at].unicode() < 128)
                ++at;
            name = line.mid(start, at - start).toString();
        } else if (at < line.size()) {
            const char16_t c = line[at++].unicode();
            letter = c > 0 && c < 128 ? char(c) : '?';
        }
        const auto known = std::find_if(Commands.begin(), Commands.end(), [&](const Known& k) {
            return letter ? k.letter == letter : !name.isEmpty() && name == QLatin1String(k.name);
        });
        if (known == Commands.end()) {
            command.name = letter ? QString(QChar(letter)) : name;
            commands.append(command);
            return commands;
        }
        command.name = QString::fromLatin1(known->name);
        command.kind = known->kind;
        if (known->arguments < 0) {
            command.arguments.append(line.mid(at).trimmed().toString());
            at = line.size();
        }
        for (int i = 0; i < known->arguments; ++i) {
            skipBlanks();
            const qsizetype start = at;
            while (at < line.size() && !line[at].isSpace())
                ++at;
            if (start == at) {
                command.kind = NetCommand::Invalid;
                commands.append(command);
                return commands;
            }
            command.arguments.append(line.mid(start, at - start).toString());
        }
        commands.append(command);
        if (command.kind == NetCommand::Unavailable || command.kind == NetCommand::Quit)
            return commands;
    }
    return commands;
}

namespace {

// A decimal number, a comma taken for the point (as clients in such locales write it).
std::optional<double> decimal(QString text) {
    if (const qsizetype comma = text.indexOf(u','); comma >= 0)
        text[comma] = u'.';
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::optional<std::pair<double, double>> netPosition(const QStringList& arguments) {
    const auto azimuth = decimal(arguments.value(0));
    const auto elevation = decimal(arguments.value(1));
    if (!azimuth || !elevation || *azimuth < -180 || *azimuth > 450)
        return std::nullopt;
    return std::pair{*azimuth, *elevation};
}

std::optional<int> netDirection(const QStringList& arguments) {
    bool ok = false;
    const int speed = arguments.value(1).toInt(&ok);
    if (!ok || (speed != -1 && (speed < 1 || speed > 100)))
        return std::nullopt;
    const QString direction = arguments.value(0).toUpper();
    if (direction == QLatin1String("8") || direction == QLatin1String("LEFT") ||
        direction == QLatin1String("CCW"))
        return -1;
    if (direction == QLatin1String("16") || direction == QLatin1String("RIGHT") ||
        direction == QLatin1String("CW"))
        return 1;
    if (direction == QLatin1String("2") || direction == QLatin1String("UP") ||
        direction == QLatin1String("4") || direction == QLatin1String("DOWN"))
        return 0;
    return std::nullopt;
}

QByteArray netReply(const NetCommand& command, int code,
                    const QList<std::pair<QString, QString>>& values) {
    const QByteArray end = command.separator ? QByteArray(1, *command.separator) : QByteArray("\n");
    QByteArray reply;
    if (command.separator)
        reply = (command.name + QLatin1Char(':') +
                 (command.arguments.isEmpty() ? QString()
                                              : QLatin1Char(' ') + command.arguments.join(u' ')))
                    .toUtf8() +
                end;
    const bool withValues = code == NetOk && !values.isEmpty();
    if (withValues) {
        for (const auto& [label, value] : values) {
            const QString record = command.separator && !label.isEmpty()
                                       ? label + QStringLiteral(": ") + value
                                       : value;
            reply += record.toUtf8() + end;
        }
    }
    if (command.separator || !withValues)
        reply += "RPRT " + QByteArray::number(code) + '\n';
    return reply;
}

} // namespace roteka

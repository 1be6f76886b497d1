// The network command line: never crashes or hangs, whatever the bytes; a line gives no more
// commands than it has characters; only the last command may end the line early (invalid,
// unavailable, quit); a command it takes for one of ROTEKA's has exactly its arguments; set_pos
// accepts only finite positions in range; and every reply ends in a line end.
#include "rules/NetCommands.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

[[noreturn]] static void fail(const char* what, const QString& line) {
    std::fprintf(stderr, "net line: %s: \"%s\"\n", what, qPrintable(line));
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<roteka::NetCommand> commands = roteka::parseNetLine(line);
    if (commands.size() > line.size())
        fail("more commands than characters", line);
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const roteka::NetCommand& command = commands[i];
        using K = roteka::NetCommand;
        const bool ends =
            command.kind == K::Invalid || command.kind == K::Unavailable || command.kind == K::Quit;
        if (ends && i + 1 != commands.size())
            fail("a command after one that ends the line", line);
        const qsizetype wanted = command.kind == K::SetPos || command.kind == K::Move ? 2 : 0;
        if (!ends && command.arguments.size() != wanted)
            fail("a command with the wrong number of arguments", line);
        if (command.kind == K::SetPos) {
            if (const auto position = roteka::netPosition(command.arguments);
                position && (!std::isfinite(position->first) || !std::isfinite(position->second) ||
                             position->first < -180 || position->first > 450))
                fail("a position out of range accepted", line);
        }
        for (int code : {0, -1, -6})
            if (!roteka::netReply(command, code, {{"Azimuth", "1.00"}}).endsWith('\n'))
                fail("a reply without its line end", line);
    }
    return 0;
}

// Any network line: only its last command ends the line, the others have their arguments, set_pos
// only finite positions in range, every reply a line end.
#include "Check.h"
#include "rules/NetCommands.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using K = roteka::NetCommand;
    const QString line = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<K> commands = roteka::parseNetLine(line);
    CHECK(commands.size() <= line.size());
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const K& command = commands[i];
        const bool ends =
            command.kind == K::Invalid || command.kind == K::Unavailable || command.kind == K::Quit;
        CHECK(!ends || i + 1 == commands.size());
        const bool twoArguments = command.kind == K::SetPos || command.kind == K::Move;
        CHECK(ends || command.arguments.size() == (twoArguments ? 2 : 0));
        if (const auto p =
                command.kind == K::SetPos ? roteka::netPosition(command.arguments) : std::nullopt)
            CHECK(std::isfinite(p->first) && std::isfinite(p->second) && p->first >= -180 &&
                  p->first <= 450);
        for (int code : {0, -1, -6})
            CHECK(roteka::netReply(command, code, {{"Azimuth", "1.00"}}).endsWith('\n'));
    }
    return 0;
}

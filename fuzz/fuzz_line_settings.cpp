// The line settings parser: what it accepts is in range, and its values written out again in the
// settings' own form parse to the same values.
#include "Check.h"
#include "platform/LineSettings.h"

#include <QStringList>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = roteka::parseLineSettings(
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!parsed)
        return 0;
    CHECK(parsed->baudRate >= 50 && parsed->baudRate <= 4000000);
    CHECK(parsed->dataBits >= 5 && parsed->dataBits <= 8);
    const QString parity = QStringLiteral("NEOMS").mid(int(parsed->parity), 1);
    const QString stop = QStringList{"1", "1.5", "2"}.value(int(parsed->stopBits), "?");
    const auto again = roteka::parseLineSettings(QStringLiteral("%1,%2,%3,%4")
                                                     .arg(parsed->baudRate)
                                                     .arg(parity)
                                                     .arg(parsed->dataBits)
                                                     .arg(stop));
    CHECK(again && *again == *parsed);
    return 0;
}

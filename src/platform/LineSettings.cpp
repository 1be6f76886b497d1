#include "platform/LineSettings.h"

#include <QStringList>

#include <array>
#include <utility>

namespace roteka {

namespace {

template <class Value, size_t N>
std::optional<Value> lookUp(const std::array<std::pair<const char*, Value>, N>& table,
                            const QString& text) {
    for (const auto& [name, value] : table) {
        if (text == QLatin1String(name))
            return value;
    }
    return std::nullopt;
}

using Parity = LineSettings::Parity;
using StopBits = LineSettings::StopBits;
constexpr std::array<std::pair<const char*, Parity>, 5> Parities{{{"N", Parity::None},
                                                                  {"E", Parity::Even},
                                                                  {"O", Parity::Odd},
                                                                  {"M", Parity::Mark},
                                                                  {"S", Parity::Space}}};
constexpr std::array<std::pair<const char*, int>, 4> DataBits{
    {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}}};
constexpr std::array<std::pair<const char*, StopBits>, 3> Stops{
    {{"1", StopBits::One}, {"1.5", StopBits::OneAndHalf}, {"2", StopBits::Two}}};

} // namespace

std::optional<LineSettings> parseLineSettings(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;
    bool ok = false;
    const QString baud = fields[0].trimmed();
    const qlonglong baudRate = baud.toLongLong(&ok);
    if (!ok || baud.startsWith(QLatin1Char('+')) || baudRate < 50 || baudRate > 4000000)
        return std::nullopt;
    const auto parity = lookUp(Parities, fields[1].trimmed().toUpper());
    const auto dataBits = lookUp(DataBits, fields[2].trimmed());
    const auto stopBits = lookUp(Stops, fields[3].trimmed());
    if (!parity || !dataBits || !stopBits)
        return std::nullopt;
    return LineSettings{static_cast<qint32>(baudRate), *parity, *dataBits, *stopBits};
}

} // namespace roteka

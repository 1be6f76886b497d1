#pragma once

#include <QString>

#include <optional>

namespace roteka {

// Serial line parameters as the settings text writes them: "baud,parity,data,stop",
// for example "9600,N,8,1". Parity N/E/O/M/S (either case), data bits 5 to 8, stop bits 1,
// 1.5 or 2; blanks around the fields are allowed.
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    qint32 baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

std::optional<LineSettings> parseLineSettings(const QString& text);

} // namespace roteka

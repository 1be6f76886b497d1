#include "rules/ReplyScanner.h"

namespace roteka {

bool isAllDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

std::optional<int> scanStep(QString& buffer) {
    if (!buffer.startsWith(QLatin1Char('A'))) {
        buffer.remove(0, 1);
        return std::nullopt;
    }
    if (buffer.size() >= 6 && buffer.startsWith(QLatin1String("AZ=")) &&
        isAllDigits(buffer.mid(3, 3))) {
        int azimuth = buffer.mid(3, 3).toInt();
        if (azimuth >= 360)
            azimuth -= 360;
        buffer.remove(0, 6);
        return azimuth;
    }
    if (buffer.size() >= 6)
        buffer.remove(0, 1);
    return std::nullopt;
}

} // namespace roteka

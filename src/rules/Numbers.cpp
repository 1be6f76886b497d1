#include "rules/Numbers.h"

#include <cmath>

namespace roteka {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// An optional sign, then digits with at most one point among them, before them or after them.
bool isPlainNumber(QStringView text) {
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        text = text.mid(1);
    bool seenPoint = false;
    bool seenDigit = false;
    for (const QChar c : text) {
        if (isDigit(c))
            seenDigit = true;
        else if (c == QLatin1Char('.') && !seenPoint)
            seenPoint = true;
        else
            return false;
    }
    return seenDigit;
}

} // namespace

double leadingNumber(QStringView text) {
    QByteArray number;
    bool seenSign = false;
    bool seenDigit = false;
    bool seenPoint = false;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if ((c == QLatin1Char('+') || c == QLatin1Char('-')) && !seenSign && !seenDigit &&
            !seenPoint) {
            seenSign = true;
            number.append(static_cast<char>(c.unicode()));
        } else if (isDigit(c)) {
            seenSign = true;
            seenDigit = true;
            number.append(static_cast<char>(c.unicode()));
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenSign = true;
            seenPoint = true;
            number.append('.');
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

double roundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction > 0.5)
        return down + 1.0;
    if (fraction < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::optional<qint16> toInt16(QStringView text) {
    const QString trimmed = text.trimmed().toString();
    if (!isPlainNumber(trimmed))
        return std::nullopt;
    const double rounded = roundHalfEven(trimmed.toDouble());
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

} // namespace roteka

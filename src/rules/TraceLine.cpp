#include "rules/TraceLine.h"

namespace roteka {

QByteArray traceTimeStamp(const QDateTime& at) {
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
}

QByteArray traceLine(QByteArrayView timeStamp, LineDirection direction, QByteArrayView bytes) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray line = timeStamp.toByteArray();
    line += direction == LineDirection::Sent ? " TX " : " RX ";
    line.reserve(line.size() + 4 * bytes.size() + 1);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '\r':
            line += "\\r";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\\':
            line += "\\\\";
            break;
        default:
            if (byte >= 0x20 && byte < 0x7F) {
                line += c;
            } else {
                line += "\\x";
                line += Hex[byte >> 4];
                line += Hex[byte & 0xF];
            }
        }
    }
    line += '\n';
    return line;
}

} // namespace roteka

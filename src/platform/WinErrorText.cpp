#include "platform/WinErrorText.h"

#include <windows.h>

namespace roteka {

QString windowsErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text;
    if (buffer) {
        text = QString::fromWCharArray(buffer, static_cast<qsizetype>(length)).trimmed();
        LocalFree(buffer);
    }
    return text.isEmpty() ? QStringLiteral("system error %1").arg(code) : text;
}

} // namespace roteka

#include "platform/WinDeviceCatalogue.h"

#include "platform/PlatformError.h"
#include "platform/WinErrorText.h"

#include <QRegularExpression>

#include <map>
#include <optional>

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace roteka {

namespace {

// The number n of a name ending in "(COMn)", n from 1 without a leading zero.
std::optional<int> comNumber(const QString& text, bool wholeName) {
    static const QRegularExpression atEnd(QStringLiteral("\\(COM([1-9][0-9]{0,4})\\)$"));
    static const QRegularExpression whole(QStringLiteral("^COM([1-9][0-9]{0,4})$"));
    const QRegularExpressionMatch match = (wholeName ? whole : atEnd).match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

// The Ports class's present devices by number.
void addPortsClassDevices(std::map<int, QString>& byNumber) {
    const HDEVINFO devices =
        SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        throw PlatformError(QStringLiteral("the device list is not available: %1")
                                .arg(windowsErrorText(GetLastError())));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        wchar_t name[512] = {};
        if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(name),
                                               sizeof name - sizeof(wchar_t), nullptr))
            continue;
        const QString friendly = QString::fromWCharArray(name).trimmed();
        if (const auto number = comNumber(friendly, false))
            byNumber.emplace(*number, friendly);
    }
    const DWORD error = GetLastError();
    SetupDiDestroyDeviceInfoList(devices);
    if (error != ERROR_NO_MORE_ITEMS)
        throw PlatformError(
            QStringLiteral("the device list is not available: %1").arg(windowsErrorText(error)));
}

// The serial device map: one value a port, the device's name (\Device\Serial0) giving the port
// name (COM1). A system without serial ports has no such key.
void addSerialDeviceMap(std::map<int, QString>& byNumber) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256] = {};
        DWORD nameLength = 255;
        wchar_t data[64] = {};
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const QString port = QString::fromWCharArray(data).trimmed();
        const auto number = comNumber(port, true);
        if (!number || byNumber.count(*number) != 0)
            continue;
        const QString device = QString::fromWCharArray(valueName, nameLength).section(u'\\', -1);
        byNumber.emplace(*number, QStringLiteral("%1 (%2)").arg(device, port));
    }
    RegCloseKey(key);
}

} // namespace

QStringList WinDeviceCatalogue::serialDeviceNames() {
    std::map<int, QString> byNumber;
    addPortsClassDevices(byNumber);
    addSerialDeviceMap(byNumber);
    QStringList names;
    for (const auto& [number, name] : byNumber)
        names.append(name);
    return names;
}

} // namespace roteka

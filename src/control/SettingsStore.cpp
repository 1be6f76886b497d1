#include "control/SettingsStore.h"

#include "platform/PlatformError.h"
#include "platform/SettingsFile.h"

namespace roteka {

namespace {

template <class Step> auto naming(const QString& path, Step&& step) {
    try {
        return step();
    } catch (const PlatformError& error) {
        throw PlatformError(QStringLiteral("%1: %2").arg(path, error.message()));
    }
}

} // namespace

bool SettingsStore::exists() const {
    return settingsFileExists(path_);
}

SettingsFields SettingsStore::read() {
    line_ = naming(path_, [this] { return readSettingsLine(path_); });
    const auto fields = splitSettingsLine(line_);
    if (!fields)
        throw PlatformError(
            QStringLiteral("%1: the line \"%2\" lacks its \",\" or \":\"").arg(path_, line_));
    return *fields;
}

void SettingsStore::write(const QString& portNumber, const QString& lineSettings,
                          const QString& offset) {
    line_ = buildSettingsLine(portNumber, lineSettings, offset);
    naming(path_, [this] { writeSettingsLine(path_, line_); });
}

} // namespace roteka

#include "control/Presets.h"

#include "platform/Logging.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>

namespace roteka {

namespace {

const QString Group = QStringLiteral("presets");

// A whole number of degrees from 0 to 359, written plainly.
std::optional<int> bearingOf(const QString& text) {
    bool ok = false;
    const int bearing = text.trimmed().toInt(&ok);
    if (!ok || bearing < 0 || bearing > 359)
        return std::nullopt;
    return bearing;
}

} // namespace

Presets::Presets(QString path, MessageBoxes& messages, QObject* parent)
    : QObject(parent), path_(std::move(path)), messages_(messages) {}

void Presets::load() {
    presets_.clear();
    QSettings file(path_, QSettings::IniFormat);
    file.beginGroup(Group);
    QList<int> numbers;
    for (const QString& entry : file.childGroups()) {
        bool ok = false;
        const int number = entry.toInt(&ok);
        if (ok && number > 0)
            numbers.append(number);
        else
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: presets: \"%2\" is no entry number").arg(path_, entry);
    }
    std::sort(numbers.begin(), numbers.end());
    for (const int number : numbers) {
        const QString key = QString::number(number);
        const QString name = file.value(key + QStringLiteral("/name")).toString().trimmed();
        const QString bearingText = file.value(key + QStringLiteral("/bearing")).toString();
        const auto bearing = bearingOf(bearingText);
        QString problem;
        if (name.isEmpty())
            problem = QStringLiteral("no name");
        else if (!bearing)
            problem = QStringLiteral("the bearing \"%1\" is no whole number from 0 to 359")
                          .arg(bearingText);
        else if (full())
            problem = QStringLiteral("more than %1 presets").arg(MaxPresets);
        if (!problem.isEmpty()) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: preset %2 left out: %3").arg(path_, key, problem);
            continue;
        }
        presets_.append({name, *bearing});
    }
    emit changed();
}

bool Presets::add(const Preset& preset) {
    if (full() || preset.name.trimmed().isEmpty() || preset.bearing < 0 || preset.bearing > 359)
        return false;
    presets_.append({preset.name.trimmed(), preset.bearing});
    save();
    emit changed();
    return true;
}

void Presets::remove(int index) {
    if (index < 0 || index >= presets_.size())
        return;
    presets_.removeAt(index);
    save();
    emit changed();
}

// The file's new content is made by QSettings on a copy (the other groups and keys are kept),
// then put in place of the file all at once.
void Presets::save() {
    try {
        QTemporaryDir scratch;
        const QString copy = scratch.filePath(QStringLiteral("roteka.conf"));
        if (QFile original(path_); original.exists() && !original.copy(copy))
            throw PlatformError(QStringLiteral("no working copy: %1").arg(original.errorString()));
        {
            QSettings file(copy, QSettings::IniFormat);
            file.remove(Group);
            file.beginWriteArray(Group, int(presets_.size()));
            for (int i = 0; i < presets_.size(); ++i) {
                file.setArrayIndex(i);
                file.setValue(QStringLiteral("name"), presets_[i].name);
                file.setValue(QStringLiteral("bearing"), presets_[i].bearing);
            }
            file.endArray();
            file.sync();
            if (file.status() != QSettings::NoError || !scratch.isValid())
                throw PlatformError(QStringLiteral("the new content could not be made"));
        }
        QFile made(copy);
        if (!made.open(QIODevice::ReadOnly))
            throw PlatformError(made.errorString());
        QDir().mkpath(QFileInfo(path_).absolutePath());
        replaceFile(path_, made.readAll());
    } catch (const PlatformError& error) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1: the presets were not written: %2").arg(path_, error.message());
        messages_.show(messageLines({QStringLiteral("プリセットを「%1」に書き込めませんでした。")
                                         .arg(QDir::toNativeSeparators(path_)),
                                     error.message(), QString(),
                                     QStringLiteral("ファイルは以前の内容のままです。")}));
    }
}

} // namespace roteka

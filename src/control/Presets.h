#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace roteka {

class MessageBoxes;

// A bearing the operator keeps one press away, under a name.
struct Preset {
    QString name;
    int bearing = 0; // degrees, 0 to 359, as a click on the map would give it
    friend bool operator==(const Preset&, const Preset&) = default;
};

// Responsibilities: the operator's presets, in their order, kept in the configuration file's
// [presets] group (entries 1 to MaxPresets, each a name and a bearing). Loading keeps the good
// entries and logs each one it leaves out (no name, a bearing that is not a whole number from 0 to
// 359, one past MaxPresets). Every change is written at once, the whole file to a temporary file
// beside it, flushed and renamed over it, so a failed write leaves the file as it was; the
// operator is told, and the change stays for this run.
class Presets : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxPresets = 10;

    Presets(QString path, MessageBoxes& messages, QObject* parent = nullptr);

    void load();
    const QList<Preset>& all() const { return presets_; }
    bool full() const { return presets_.size() >= MaxPresets; }
    // Adds one at the end; false (and nothing changes) when full, unnamed or out of range.
    bool add(const Preset& preset);
    void remove(int index);

signals:
    void changed();

private:
    void save();

    QString path_;
    MessageBoxes& messages_;
    QList<Preset> presets_;
};

} // namespace roteka

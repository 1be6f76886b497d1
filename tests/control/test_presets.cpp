// The operator's presets and the configuration file that keeps them.
#include "FakePlatform.h"
#include "LogRecorder.h"
#include "PtyPeer.h"
#include "Tables.h"

#include "control/Presets.h"

#include <QDir>

using namespace roteka;
using namespace roteka::test;

namespace {

// The presets as "name bearing" words.
QStringList shown(const Presets& presets) {
    QStringList words;
    for (const Preset& p : presets.all())
        words << p.name + ' ' + QString::number(p.bearing);
    return words;
}

// A configuration file with a [presets] group of entries "number|name|bearing".
QByteArray file(const QStringList& entries) {
    QByteArray text = "listen=4533\n[presets]\n";
    for (const QString& entry : entries) {
        const QStringList part = entry.split('|');
        text += (part[0] + "\\name=" + part[1] + '\n' + part[0] + "\\bearing=" + part[2] + '\n')
                    .toUtf8();
    }
    return text;
}

// Presets loaded from a file with the content (none: no file).
struct Store {
    explicit Store(const QByteArray& content) {
        if (!content.isEmpty())
            dir.writeFile("roteka.conf", content);
        presets.load();
    }
    TestDirectory dir;
    QString path = dir.path() + "/roteka.conf";
    RecordingMessageBoxes messages;
    Presets presets{path, messages};
};

} // namespace

class PresetsTest : public QObject {
    Q_OBJECT
private slots:
    // What loading keeps, in the entries' order, and how many it leaves out with a log line.
    void load_data() {
        QStringList eleven;
        for (int i = 1; i <= 11; ++i)
            eleven << QString::number(i) + "|P|1";
        // clang-format off
        table<QByteArray, QStringList, int>({"file", "kept", "leftOut"}, {
            {"no file", "", {}, 0},
            {"in number order", file({"2|B|20", "10|C|30", "1|A|10"}), {"A 10", "B 20", "C 30"}, 0},
            {"edges", file({"1|N|0", "2|S|359", "3|日本|45"}), {"N 0", "S 359", "日本 45"}, 0},
            {"bad entries", file({"1||10", "2|A|360", "3|B|-1", "4|C|4.5", "x|D|1", "5|E|20"}), {"E 20"}, 5},
            {"eleven", file(eleven), QStringList(10, "P 1"), 1},
        });
        // clang-format on
    }
    void load() {
        LogRecorder log;
        Store s(FETCHED(QByteArray, file));
        QCOMPARE(shown(s.presets), FETCHED(QStringList, kept));
        QCOMPARE(log.containing("roteka.settings: ").size(), FETCHED(int, leftOut));
    }

    // A change is written at once over bad entries, other keys kept; more than ten, a blank name
    // or a bearing out of range are refused.
    void changes() {
        Store s(file({"1|A|10", "2||20", "3|C|30"}));
        Presets again(s.path, s.messages);
        QVERIFY(s.presets.add({" D ", 40}));
        QVERIFY(!s.presets.add({"  ", 50}) && !s.presets.add({"E", 360}) &&
                !s.presets.add({"E", -1}));
        s.presets.remove(0);
        s.presets.remove(7);
        again.load();
        QCOMPARE(shown(again), QStringList({"C 30", "D 40"}));
        QVERIFY(s.dir.readFile("roteka.conf").contains("listen=4533"));
        for (int i = 0; i < 8; ++i)
            s.presets.add({"P", i});
        QVERIFY(!s.presets.add({"one more", 1}));
        again.load();
        QCOMPARE(again.all().size(), Presets::MaxPresets);
        QCOMPARE(s.messages.shown, QStringList());
    }

    // A failed write (disk full, no folder) leaves the file, says why, keeps the change.
    void failedWrite() {
        const QByteArray before = file({"1|A|10"});
        Store s(before);
        LogRecorder log;
        {
            FileSizeLimit full;
            s.presets.add({"B", 20});
        }
        QCOMPARE(s.dir.readFile("roteka.conf"), before);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"roteka.conf"});
        QCOMPARE(shown(s.presets), QStringList({"A 10", "B 20"}));
        const QString head =
            "プリセットを「" + QDir::toNativeSeparators(s.path) + "」に書き込めませんでした。\r\n";
        const QString said = s.messages.shown.value(0);
        QVERIFY2(said.startsWith(head) && said.endsWith("\r\n\r\nファイルは以前の内容のままです。"),
                 qPrintable(said));
        QCOMPARE(log.containing("the presets were not written: ").size(), 1);
        s.dir.writeFile("blocker", "x");
        Presets nowhere(s.dir.path() + "/blocker/roteka.conf", s.messages);
        nowhere.add({"C", 30});
        QCOMPARE(s.messages.shown.size(), 2);
        QCOMPARE(s.dir.readFile("blocker"), "x");
    }
};

QTEST_MAIN(PresetsTest)
#include "test_presets.moc"

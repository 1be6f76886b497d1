// The operator's presets and the configuration file that keeps them.
#include "FakePlatform.h"
#include "LogRecorder.h"
#include "PtyPeer.h"
#include "Tables.h"

#include "control/Presets.h"

#include <QDir>

using namespace roteka;
using namespace roteka::test;
using namespace Qt::StringLiterals;

namespace {

// The presets as "NAME DDD" words.
QStringList shown(const Presets& presets) {
    QStringList words;
    for (const Preset& p : presets.all())
        words << p.name + ' ' + QString::number(p.bearing);
    return words;
}

// A [presets] group of the given entries, each "number name bearing" (a missing part left out).
QByteArray group(const QStringList& entries) {
    QByteArray text = "[presets]\n";
    for (const QString& entry : entries) {
        const QStringList parts = entry.split('|');
        if (!parts.value(1).isNull())
            text += parts[0].toUtf8() + "\\name=" + parts[1].toUtf8() + '\n';
        if (!parts.value(2).isNull())
            text += parts[0].toUtf8() + "\\bearing=" + parts[2].toUtf8() + '\n';
    }
    return text;
}

} // namespace

class PresetsTest : public QObject {
    Q_OBJECT
private slots:
    // What loading keeps, in the entries' order, and how many it leaves out with a log line.
    void load_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<int>("leftOut");
        QStringList eleven;
        for (int i = 1; i <= 11; ++i)
            eleven << QStringLiteral("%1|P%1|%2").arg(i).arg(i * 10);
        // clang-format off
        QTest::newRow("no file") << "<none>"_ba << QStringList() << 0;
        QTest::newRow("in number order") << group({"2|B|20", "10|C|30", "1|A|10"}) << QStringList{"A 10", "B 20", "C 30"} << 0;
        QTest::newRow("edges") << group({"1|N|0", "2|S|359", "3|日本|45"}) << QStringList{"N 0", "S 359", "日本 45"} << 0;
        QTest::newRow("no name") << group({"1||10", "2|B|20"}) << QStringList{"B 20"} << 1;
        QTest::newRow("name missing") << group({"1|A", "2|B|20"}) << QStringList{"B 20"} << 1;
        QTest::newRow("360") << group({"1|A|360", "2|B|20"}) << QStringList{"B 20"} << 1;
        QTest::newRow("negative") << group({"1|A|-1"}) << QStringList() << 1;
        QTest::newRow("fraction") << group({"1|A|45.5"}) << QStringList() << 1;
        QTest::newRow("text") << group({"1|A|north"}) << QStringList() << 1;
        QTest::newRow("entry not a number") << group({"x|A|10", "2|B|20"}) << QStringList{"B 20"} << 1;
        QTest::newRow("eleven") << group(eleven) << QStringList{"P1 10", "P2 20", "P3 30", "P4 40", "P5 50", "P6 60", "P7 70", "P8 80", "P9 90", "P10 100"} << 1;
        // clang-format on
    }
    void load() {
        QFETCH(QByteArray, file);
        TestDirectory dir;
        if (file != "<none>")
            dir.writeFile("roteka.conf", "listen=4533\n" + file);
        RecordingMessageBoxes messages;
        Presets presets(dir.path() + "/roteka.conf", messages);
        LogRecorder log;
        presets.load();
        QCOMPARE(shown(presets), FETCHED(QStringList, kept));
        QCOMPARE(log.containing("roteka.settings: ").size(), FETCHED(int, leftOut));
        QCOMPARE(messages.shown, QStringList());
    }

    // A change is written at once; the good entries of a file with bad ones survive it, the bad
    // ones do not; the other keys stay; more than ten, an empty name or a bearing out of range
    // are refused.
    void changes() {
        TestDirectory dir;
        dir.writeFile("roteka.conf", "listen=4533\n" + group({"1|A|10", "2||20", "3|C|30"}));
        RecordingMessageBoxes messages;
        Presets presets(dir.path() + "/roteka.conf", messages);
        presets.load();
        QVERIFY(presets.add({" D ", 40}));
        QVERIFY(!presets.add({"  ", 50}) && !presets.add({"E", 360}) && !presets.add({"E", -1}));
        presets.remove(0);
        presets.remove(7);
        Presets again(dir.path() + "/roteka.conf", messages);
        again.load();
        QCOMPARE(shown(again), QStringList({"C 30", "D 40"}));
        QVERIFY(dir.readFile("roteka.conf").contains("listen=4533"));
        for (int i = 0; i < 8; ++i)
            QVERIFY(presets.add({QStringLiteral("P%1").arg(i), i}));
        QVERIFY(presets.full() && !presets.add({"one more", 1}));
        again.load();
        QCOMPARE(again.all().size(), Presets::MaxPresets);
        QCOMPARE(messages.shown, QStringList());
    }

    // A write that fails (a full disk, a folder that cannot be made) leaves the file as it was,
    // says so with the reason, and keeps the change for this run.
    void failedWrite() {
        TestDirectory dir;
        const QByteArray before = "listen=4533\n" + group({"1|A|10"});
        dir.writeFile("roteka.conf", before);
        RecordingMessageBoxes messages;
        Presets presets(dir.path() + "/roteka.conf", messages);
        presets.load();
        LogRecorder log;
        {
            FileSizeLimit full;
            QVERIFY(presets.add({"B", 20}));
        }
        QCOMPARE(dir.readFile("roteka.conf"), before);
        QCOMPARE(shown(presets), QStringList({"A 10", "B 20"}));
        QCOMPARE(messages.shown.size(), 1);
        const QString head = "プリセットを「" +
                             QDir::toNativeSeparators(dir.path() + "/roteka.conf") +
                             "」に書き込めませんでした。\r\n";
        QVERIFY2(messages.shown[0].startsWith(head) &&
                     messages.shown[0].endsWith("\r\n\r\nファイルは以前の内容のままです。"),
                 qPrintable(messages.shown[0]));
        QCOMPARE(log.containing("the presets were not written: ").size(), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"roteka.conf"});
        // A file where the configuration folder should be: the folder cannot be made.
        dir.writeFile("blocker", "x");
        Presets nowhere(dir.path() + "/blocker/roteka.conf", messages);
        QVERIFY(nowhere.add({"C", 30}));
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(dir.readFile("blocker"), "x");
    }
};

QTEST_MAIN(PresetsTest)
#include "test_presets.moc"

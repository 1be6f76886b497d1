// The settings file on disk: its first line read whatever ends it, and a write that never
// leaves it half-written, empty or beside a stray temporary file.
#include "PtyPeer.h"

#include "app/RunTimeError.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QtTest>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString Name = QStringLiteral("ROTEKA.DAT");

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void firstLine_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("line");
        // clang-format off
        QTest::newRow("CR LF") << QByteArray("3,9600,N,8,1:0\r\nrest") << "3,9600,N,8,1:0";
        QTest::newRow("CR alone") << QByteArray("3,9600,N,8,1:0\rrest") << "3,9600,N,8,1:0";
        QTest::newRow("LF alone") << QByteArray("3,9600,N,8,1:0\nrest") << "3,9600,N,8,1:0";
        QTest::newRow("no line end") << QByteArray("3,9600,N,8,1:0") << "3,9600,N,8,1:0";
        QTest::newRow("empty first line") << QByteArray("\r\n3,9600,N,8,1:0\r\n") << "";
        QTest::newRow("UTF-8 kept") << QByteArray("3,9600,N,8,1:オフ\r\n") << QStringLiteral("3,9600,N,8,1:オフ");
        // clang-format on
    }
    void firstLine() {
        QFETCH(QByteArray, content);
        TestDirectory dir;
        dir.writeFile(Name, content);
        QVERIFY(settingsFileExists(Name));
        QTEST(readSettingsLine(Name), "line");
    }

    // No file, an empty one or a directory: there is no line to read.
    void noLine() {
        TestDirectory dir;
        QVERIFY(!settingsFileExists(Name));
        QVERIFY_THROWS_EXCEPTION(RunTimeError, readSettingsLine(Name));
        dir.writeFile(Name, QByteArray());
        QVERIFY(settingsFileExists(Name));
        QVERIFY_THROWS_EXCEPTION(RunTimeError, readSettingsLine(Name));
        QVERIFY(QDir().mkdir(QStringLiteral("OTHER.DAT")) &&
                !settingsFileExists(QStringLiteral("OTHER.DAT")));
    }

    // A write replaces the whole file; a write cut short or a directory that cannot take the new
    // file keeps the old content. Either way no other file is left.
    void write_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replaced") << "" << QByteArray("4,9600,N,8,1:0\r\n");
        QTest::newRow("write cut short") << "short" << QByteArray("12,4800,E,7,2:-5\r\nsecond\r\n");
        QTest::newRow("read-only directory")
            << "read-only" << QByteArray("12,4800,E,7,2:-5\r\nsecond\r\n");
    }
    void write() {
        QFETCH(QString, how);
        if (how == "read-only" && ::geteuid() == 0)
            QSKIP("a read-only directory does not stop root");
        TestDirectory dir;
        dir.writeFile(Name, "12,4800,E,7,2:-5\r\nsecond\r\n");
        const QByteArray path = QFile::encodeName(dir.path());
        ::chmod(path.constData(), how == "read-only" ? 0555 : 0755);
        bool failed = false;
        {
            std::optional<FileSizeLimit> limit;
            if (how == "short")
                limit.emplace();
            failed =
                !ignoreErrors([] { writeSettingsLine(Name, QStringLiteral("3,9600,N,8,1:0")); });
            failed = !ignoreErrors([] {
                writeSettingsLine(Name, QStringLiteral("4,9600,N,8,1:0"));
            }) && failed;
        }
        ::chmod(path.constData(), 0755);
        QCOMPARE(failed, !how.isEmpty());
        QTEST(dir.readFile(Name), "after");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{Name});
    }
};

QTEST_MAIN(SettingsFileTest)
#include "test_settings.moc"

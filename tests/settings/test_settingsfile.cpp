// The settings file on disk: the existence test, reading the first line, and a write that
// never leaves the file half-written or empty.
#include "PtyPeer.h"

#include "app/RunTimeError.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLine.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void firstLine_data();
    void firstLine();
    void existence();
    void writeReplacesWholeFile();
    void failedWriteKeepsOldContent_data();
    void failedWriteKeepsOldContent();
    void writeLeavesNoTemporaryFiles();
    void splitKeepsCommasOfTheLineSettings();
};

void SettingsFileTest::firstLine_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("line");
    QTest::newRow("CR LF") << QByteArray("3,9600,N,8,1:0\r\n") << "3,9600,N,8,1:0";
    QTest::newRow("CR alone") << QByteArray("3,9600,N,8,1:0\rrest") << "3,9600,N,8,1:0";
    QTest::newRow("LF alone") << QByteArray("3,9600,N,8,1:0\nrest") << "3,9600,N,8,1:0";
    QTest::newRow("no line end") << QByteArray("3,9600,N,8,1:0") << "3,9600,N,8,1:0";
    QTest::newRow("empty first line") << QByteArray("\r\n3,9600,N,8,1:0\r\n") << "";
    QTest::newRow("UTF-8 text kept")
        << QByteArray("3,9600,N,8,1:オフ\r\n") << QStringLiteral("3,9600,N,8,1:オフ");
}

void SettingsFileTest::firstLine() {
    QFETCH(QByteArray, content);
    QFETCH(QString, line);
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), content);
    QCOMPARE(readSettingsLine(QStringLiteral("ROTEKA.DAT")), line);
}

void SettingsFileTest::existence() {
    TestDirectory dir;
    QVERIFY(!settingsFileExists(QStringLiteral("ROTEKA.DAT")));
    QVERIFY_THROWS_EXCEPTION(RunTimeError, readSettingsLine(QStringLiteral("ROTEKA.DAT")));
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), QByteArray());
    QVERIFY(settingsFileExists(QStringLiteral("ROTEKA.DAT")));
    QVERIFY_THROWS_EXCEPTION(RunTimeError, readSettingsLine(QStringLiteral("ROTEKA.DAT")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("OTHER.DAT")));
    QVERIFY(!settingsFileExists(QStringLiteral("OTHER.DAT")));
}

void SettingsFileTest::writeReplacesWholeFile() {
    TestDirectory dir;
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "12,4800,E,7,2:-5\r\nsecond line\r\n");
    writeSettingsLine(QStringLiteral("ROTEKA.DAT"), QStringLiteral("3,9600,N,8,1:0"));
    QCOMPARE(dir.readFile(QStringLiteral("ROTEKA.DAT")), QByteArray("3,9600,N,8,1:0\r\n"));
}

void SettingsFileTest::failedWriteKeepsOldContent_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("write fails half-way") << "fsize";
    QTest::newRow("read-only directory") << "readonly";
}

// Old content survives a failed write: a write cut short (the file size limit stands in for
// a full disk, and stops root too) or a directory that cannot take the new file.
void SettingsFileTest::failedWriteKeepsOldContent() {
    QFETCH(QString, how);
    TestDirectory dir;
    const QByteArray old("12,4800,E,7,2:-5\r\n");
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), old);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    if (how == QStringLiteral("fsize")) {
        rlimit small = saved;
        small.rlim_cur = 4;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    } else {
        if (::geteuid() == 0)
            QSKIP("a read-only directory does not stop root");
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0555) == 0);
    }
    bool failed = false;
    try {
        writeSettingsLine(QStringLiteral("ROTEKA.DAT"), QStringLiteral("3,9600,N,8,1:0"));
    } catch (const RunTimeError& error) {
        failed = !error.message().isEmpty();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    QVERIFY(failed);
    QCOMPARE(dir.readFile(QStringLiteral("ROTEKA.DAT")), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("ROTEKA.DAT")});
}

void SettingsFileTest::writeLeavesNoTemporaryFiles() {
    TestDirectory dir;
    writeSettingsLine(QStringLiteral("ROTEKA.DAT"), QStringLiteral("3,9600,N,8,1:0"));
    writeSettingsLine(QStringLiteral("ROTEKA.DAT"), QStringLiteral("4,9600,N,8,1:0"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("ROTEKA.DAT")});
}

void SettingsFileTest::splitKeepsCommasOfTheLineSettings() {
    const SettingsFields fields = splitSettingsLine(QStringLiteral("3,9600,N,8,1:5"));
    QCOMPARE(fields.portNumber, QStringLiteral("3"));
    QCOMPARE(fields.lineSettings, QStringLiteral("9600,N,8,1"));
    QCOMPARE(fields.offset, QStringLiteral("5"));
    QCOMPARE(buildSettingsLine(fields.portNumber, fields.lineSettings, fields.offset),
             QStringLiteral("3,9600,N,8,1:5"));
}

QTEST_MAIN(SettingsFileTest)
#include "test_settingsfile.moc"

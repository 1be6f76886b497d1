#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(ROTEKA_MAPGEN_EXE), args);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Responsibilities: runs the roteka-mapgen executable as an operator would and checks exit
// codes, messages, the files it writes and that a failed run leaves an existing file alone.
class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString out = QStringLiteral("--out=") + dir_.filePath(QStringLiteral("x.png"));
        const QString data = QStringLiteral("--data=") + QStringLiteral(ROTEKA_LAND_DATA);
        const QString badJson = dir_.filePath(QStringLiteral("bad.json"));
        QFile bad(badJson);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("{\"type\":\"Topology\",\"objects\":{\"land\":{\"type\":\"Polygon\","
                  "\"arcs\":[[7]]}},\"arcs\":[]}");
        bad.close();

        QTest::newRow("nothing") << QStringList{} << 2 << "--out is required";
        QTest::newRow("no longitude") << QStringList{"--lat", "35", out} << 2 << "--lon";
        QTest::newRow("latitude not a number")
            << QStringList{"--lat", "north", "--lon", "1", out} << 2 << "--lat needs a number";
        QTest::newRow("latitude 95")
            << QStringList{"--lat", "95", "--lon", "1", out} << 2 << "latitude must be";
        QTest::newRow("longitude inf")
            << QStringList{"--lat", "5", "--lon", "inf", out} << 2 << "--lon needs a number";
        QTest::newRow("range past antipode")
            << QStringList{"--lat", "5", "--lon", "1", "--range-km", "30000", out} << 2
            << "range must be";
        QTest::newRow("unknown option")
            << QStringList{"--colour", "red", out} << 2 << "Unknown option";
        QTest::newRow("missing value") << QStringList{out, "--lat"} << 2 << "Missing value";
        QTest::newRow("stray argument")
            << QStringList{"map.png", out} << 2 << "unexpected argument 'map.png'";
        QTest::newRow("icon too small")
            << QStringList{"--icon", "8", out} << 2 << "--icon needs a size";
        QTest::newRow("icon with map options")
            << QStringList{"--icon", "32", "--lat", "1", out} << 2 << "cannot be combined";
        QTest::newRow("missing data file")
            << QStringList{"--lat", "5",      "--lon",
                           "1",     "--data", dir_.filePath(QStringLiteral("none.json")),
                           out}
            << 1 << "cannot read";
        QTest::newRow("broken data file")
            << QStringList{"--lat", "5", "--lon", "1", "--data", badJson, out} << 1
            << "points past the 0 arcs";
        QTest::newRow("unwritable output")
            << QStringList{"--lat",
                           "5",
                           "--lon",
                           "1",
                           data,
                           "--out",
                           dir_.filePath(QStringLiteral("no/such/dir/map.png"))}
            << 1 << "cannot write";
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString target = dir_.filePath(QStringLiteral("x.png"));
        QFile::remove(target);
        const Run run = runTool(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(target));
    }

    void failedRunKeepsExistingMap() {
        const QString target = dir_.filePath(QStringLiteral("keep.png"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("operator's map");
        f.close();
        const Run run = runTool({"--lat", "5", "--lon", "1", "--data",
                                 dir_.filePath(QStringLiteral("none.json")), "--out", target});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(readAll(target), QByteArray("operator's map"));
    }

    void help() {
        const Run run = runTool({"--help"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains(QStringLiteral("--range-km")));
        QVERIFY(run.out.contains(QStringLiteral("--icon")));
    }

    void writesMap_data() {
        QTest::addColumn<QStringList>("position");
        QTest::newRow("Tokyo") << QStringList{"--lat", "35.68", "--lon", "139.77"};
        QTest::newRow("southern, western, negative values")
            << QStringList{"--lat", "-33.87", "--lon=-70.5"};
        QTest::newRow("regional") << QStringList{"--lat",      "51.5", "--lon",     "-0.13",
                                                 "--range-km", "3000", "--ring-km", "1000"};
    }
    void writesMap() {
        QFETCH(QStringList, position);
        const QString target = dir_.filePath(QStringLiteral("map.png"));
        QFile::remove(target);
        const Run run = runTool(
            position + QStringList{"--data", QStringLiteral(ROTEKA_LAND_DATA), "--out", target});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QImage image(target, "PNG");
        QCOMPARE(image.size(), QSize(200, 200));
        QVERIFY(!image.hasAlphaChannel());
        QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    }

    void writesIcon() {
        const QString target = dir_.filePath(QStringLiteral("icon.png"));
        const Run run = runTool({"--icon", "24", "--out", target});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QImage image(target, "PNG");
        QCOMPARE(image.size(), QSize(24, 24));
        QVERIFY(image.hasAlphaChannel());
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_mapgen_cli.moc"

// roteka-pack-picture as the build runs it: what it writes, its exit codes, and that a failed
// run leaves the output as it was.
#include "ui/PictureFile.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

int runTool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(ROTEKA_PACK_PICTURE_EXE), args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class PackPictureCliTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void packs();
    void failures_data();
    void failures();

private:
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
    QTemporaryDir dir_;
};

void PackPictureCliTest::initTestCase() {
    QVERIFY(dir_.isValid());
    QImage picture(5, 3, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 100, 50, 128));
    picture.setPixel(4, 2, qRgba(0, 0, 0, 0));
    QVERIFY(picture.save(path("in.png")));
    write(path("text.png"), "not a picture");
}

void PackPictureCliTest::packs() {
    QCOMPARE(runTool({path("in.png"), path("out.picture")}), 0);
    QCOMPARE(contents(path("out.picture")), roteka::packPicture(QImage(path("in.png"))));
}

void PackPictureCliTest::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no arguments") << QStringList{} << 2;
    QTest::newRow("one argument") << QStringList{path("in.png")} << 2;
    QTest::newRow("no such input") << QStringList{path("missing.png"), path("kept.picture")} << 1;
    QTest::newRow("input not a picture")
        << QStringList{path("text.png"), path("kept.picture")} << 1;
    QTest::newRow("output directory missing")
        << QStringList{path("in.png"), path("no/such/dir/out.picture")} << 1;
}

void PackPictureCliTest::failures() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    write(path("kept.picture"), "earlier");
    QCOMPARE(runTool(args), exitCode);
    QCOMPARE(contents(path("kept.picture")), QByteArray("earlier"));
    QVERIFY(!QFile::exists(path("no/such/dir/out.picture")));
}

QTEST_GUILESS_MAIN(PackPictureCliTest)
#include "tst_pack_picture_cli.moc"

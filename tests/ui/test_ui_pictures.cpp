// The program's own pictures: the packed form read back exactly or not at all, and the packed
// resources the build made showing the same pixels as their PNG sources.
#include "ui/PictureFile.h"

#include <QtTest>

#include <cstdint>
#include <cstring>

using namespace roteka;

namespace {

QByteArray header(std::uint32_t mark, std::uint32_t width, std::uint32_t height,
                  std::uint32_t format) {
    const std::uint32_t fields[] = {mark, width, height, format};
    return QByteArray(reinterpret_cast<const char*>(fields), sizeof fields);
}

QImage sample(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 40, y * 30, (x + y) * 20, 255 - x * y * 10));
    }
    return image.convertToFormat(format);
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void rejected_data();
    void rejected();
    void resourcesAreTheirSources_data();
    void resourcesAreTheirSources();
};

void PicturesTest::roundTrip_data() {
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QImage::Format>("kept");
    QTest::newRow("opaque, odd width")
        << sample(3, 5, QImage::Format_RGB32) << QImage::Format_RGB32;
    QTest::newRow("one pixel") << sample(1, 1, QImage::Format_RGB32) << QImage::Format_RGB32;
    QTest::newRow("translucent, not premultiplied")
        << sample(7, 4, QImage::Format_ARGB32) << QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("three bytes a pixel, row padding")
        << sample(5, 3, QImage::Format_RGB888) << QImage::Format_RGB32;
    QTest::newRow("indexed")
        << sample(6, 2, QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8)
        << QImage::Format_RGB32;
}

void PicturesTest::roundTrip() {
    QFETCH(QImage, image);
    QFETCH(QImage::Format, kept);
    const QImage back = unpackPicture(packPicture(image));
    QCOMPARE(back.format(), kept);
    QCOMPARE(back, image.convertToFormat(kept));
}

void PicturesTest::rejected_data() {
    QTest::addColumn<QByteArray>("packed");
    const QByteArray good = packPicture(sample(4, 3, QImage::Format_ARGB32));
    std::uint32_t mark = 0;
    std::memcpy(&mark, good.constData(), sizeof mark);
    const auto rgb32 = std::uint32_t(QImage::Format_RGB32);
    const QByteArray pixels(4 * 3 * 4, '\x7f');

    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("half a header") << good.left(8);
    QTest::newRow("header only") << good.left(16);
    QTest::newRow("one byte short") << good.chopped(1);
    QTest::newRow("one byte more") << good + '\0';
    QTest::newRow("another mark") << header(mark ^ 1, 4, 3, rgb32) + pixels;
    QTest::newRow("mark in the other byte order") << header(qbswap(mark), 4, 3, rgb32) + pixels;
    QTest::newRow("a format of three bytes a pixel")
        << header(mark, 4, 3, std::uint32_t(QImage::Format_RGB888)) + pixels;
    QTest::newRow("not a format") << header(mark, 4, 3, 9999) + pixels;
    QTest::newRow("no width") << header(mark, 0, 3, rgb32) + pixels;
    QTest::newRow("no height") << header(mark, 4, 0, rgb32) + pixels;
    QTest::newRow("sides beyond any picture")
        << header(mark, 0xFFFFFFFF, 0xFFFFFFFF, rgb32) + pixels;
}

void PicturesTest::rejected() {
    QFETCH(QByteArray, packed);
    QVERIFY(unpackPicture(packed).isNull());
}

void PicturesTest::resourcesAreTheirSources_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("map") << QStringLiteral("map");
    for (int size : {16, 22, 24, 32, 48, 64}) {
        const QString name = QStringLiteral("icons/roteka-%1").arg(size);
        QTest::newRow(qPrintable(name)) << name;
    }
}

void PicturesTest::resourcesAreTheirSources() {
    QFETCH(QString, name);
    const QImage source(QStringLiteral(ROTEKA_PICTURE_SOURCES "/") + name + QStringLiteral(".png"));
    QVERIFY(!source.isNull());
    const QImage packed =
        resourcePicture(QStringLiteral(":/roteka/") + name + QStringLiteral(".picture"));
    QVERIFY(!packed.isNull());
    QCOMPARE(packed, source.convertToFormat(packed.format()));
    QCOMPARE(packed.hasAlphaChannel(), source.hasAlphaChannel());
    QVERIFY(resourcePicture(QStringLiteral(":/roteka/no-such.picture")).isNull());

    // The picture may show the resource's own bytes; changing it must leave them as they are.
    QImage changed = packed;
    changed.setPixel(0, 0, qRgb(0x12, 0x34, 0x56));
    QCOMPARE(resourcePicture(QStringLiteral(":/roteka/") + name + QStringLiteral(".picture")),
             source.convertToFormat(packed.format()));
}

QTEST_MAIN(PicturesTest)
#include "test_ui_pictures.moc"

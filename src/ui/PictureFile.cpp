#include "ui/PictureFile.h"

#include <QResource>

#include <cstdint>
#include <cstring>

namespace roteka {

namespace {

struct Header {
    std::uint32_t mark;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t format;
};
static_assert(sizeof(Header) == 16);

constexpr std::uint32_t Mark = 0x52504943; // "RPIC" when read in the machine's byte order
constexpr std::uint32_t MaxSide = 32767;
constexpr qsizetype PixelBytes = 4;

bool packable(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

QByteArray packPicture(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage pixels = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const Header header{Mark, std::uint32_t(pixels.width()), std::uint32_t(pixels.height()),
                        std::uint32_t(pixels.format())};
    const qsizetype line = pixels.width() * PixelBytes;
    QByteArray packed;
    packed.reserve(qsizetype(sizeof header) + line * pixels.height());
    packed.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int y = 0; y < pixels.height(); ++y)
        packed.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), line);
    return packed;
}

QImage unpackPicture(QByteArrayView packed) {
    Header header{};
    if (packed.size() < qsizetype(sizeof header))
        return {};
    std::memcpy(&header, packed.data(), sizeof header);
    const auto format = static_cast<QImage::Format>(header.format);
    if (header.mark != Mark || !packable(format) || header.width == 0 || header.height == 0 ||
        header.width > MaxSide || header.height > MaxSide)
        return {};
    const qsizetype line = qsizetype(header.width) * PixelBytes;
    if (packed.size() - qsizetype(sizeof header) != line * qsizetype(header.height))
        return {};
    QImage image(int(header.width), int(header.height), format);
    if (image.isNull())
        return {};
    const char* row = packed.data() + sizeof header;
    for (int y = 0; y < image.height(); ++y, row += line)
        std::memcpy(image.scanLine(y), row, std::size_t(line));
    return image;
}

QImage resourcePicture(const QString& path) {
    const QResource resource(path);
    if (!resource.isValid())
        return {};
    return unpackPicture(resource.uncompressedData());
}

} // namespace roteka

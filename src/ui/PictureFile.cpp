#include "ui/PictureFile.h"

#include <QResource>

#include <cstdint>
#include <cstring>
#include <optional>

namespace roteka {

namespace {

struct Header {
    std::uint32_t mark;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t format;
};
static_assert(sizeof(Header) == 16);

constexpr std::uint32_t Mark = 0x52504943; // "RPIC" as a number, stored like the others
constexpr std::uint32_t MaxSide = 32767;
constexpr std::uint64_t PixelBytes = 4;

// Read as a number first: a value outside the enumeration is no QImage::Format.
bool packable(std::uint32_t format) {
    return format == std::uint32_t(QImage::Format_RGB32) ||
           format == std::uint32_t(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QByteArray packPicture(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage pixels = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const Header header{Mark, std::uint32_t(pixels.width()), std::uint32_t(pixels.height()),
                        std::uint32_t(pixels.format())};
    const auto line = qsizetype(pixels.width() * PixelBytes);
    QByteArray packed;
    packed.reserve(qsizetype(sizeof header) + line * pixels.height());
    packed.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int y = 0; y < pixels.height(); ++y)
        packed.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), line);
    return packed;
}

namespace {

// The header of one whole packed picture, or nothing.
std::optional<Header> packedHeader(QByteArrayView packed) {
    Header header{};
    if (packed.size() < qsizetype(sizeof header))
        return std::nullopt;
    std::memcpy(&header, packed.data(), sizeof header);
    if (header.mark != Mark || !packable(header.format) || header.width == 0 ||
        header.height == 0 || header.width > MaxSide || header.height > MaxSide)
        return std::nullopt;
    // In 64 bits: the largest picture's size does not fit a 32-bit qsizetype.
    if (std::uint64_t(packed.size()) - sizeof header != header.width * PixelBytes * header.height)
        return std::nullopt;
    return header;
}

} // namespace

QImage unpackPicture(QByteArrayView packed) {
    const auto header = packedHeader(packed);
    if (!header)
        return {};
    QImage image(int(header->width), int(header->height),
                 static_cast<QImage::Format>(header->format));
    if (image.isNull())
        return {};
    const auto rowBytes = std::size_t(header->width * PixelBytes);
    const char* row = packed.data() + sizeof(Header);
    for (int y = 0; y < image.height(); ++y, row += rowBytes)
        std::memcpy(image.scanLine(y), row, rowBytes);
    return image;
}

QImage resourcePicture(const QString& path) {
    const QResource resource(path);
    if (!resource.isValid())
        return {};
    const QByteArray packed = resource.uncompressedData();
    const auto header = packedHeader(packed);
    // A resource stored as it is stays in memory as long as the program: its rows are shown
    // where they lie, when they lie where 32-bit pixels may (the image copies them on the
    // first change).
    if (header && resource.compressionAlgorithm() == QResource::NoCompression) {
        const auto* pixels = reinterpret_cast<const uchar*>(packed.constData()) + sizeof(Header);
        if (quintptr(pixels) % alignof(std::uint32_t) == 0)
            return QImage(pixels, int(header->width), int(header->height),
                          qsizetype(header->width * PixelBytes),
                          static_cast<QImage::Format>(header->format));
    }
    return unpackPicture(packed);
}

} // namespace roteka

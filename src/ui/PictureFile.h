#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace roteka {

// The form the program keeps its own pictures in, so that they are ready without decoding: a
// 16-byte header (a mark, the width, the height and the QImage format, 32-bit numbers in the
// machine's byte order) and then the rows of 32-bit pixels exactly as QImage holds them. The
// build packs the pictures' PNG sources into this form.

// A picture packed: RGB32, or premultiplied ARGB32 when it has an alpha channel. Empty for a
// null image.
QByteArray packPicture(const QImage& image);

// The picture, or a null image for anything but one whole packed picture.
QImage unpackPicture(QByteArrayView packed);

// A packed picture among the program's resources, or a null image.
QImage resourcePicture(const QString& path);

} // namespace roteka

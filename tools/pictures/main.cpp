// roteka-pack-picture IN OUT: packs the picture IN (any format Qt reads) into the program's own
// picture form at OUT, for the build. Exits with 0 on success; with 1, and OUT untouched, when IN
// cannot be read or OUT cannot be written; with 2 on wrong arguments.
#include "ui/PictureFile.h"

#include <QImageReader>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: roteka-pack-picture IN OUT\n", stderr);
        return 2;
    }
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QImageReader reader(in);
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "roteka-pack-picture: %s: %s\n", argv[1],
                     qPrintable(reader.errorString()));
        return 1;
    }
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(roteka::packPicture(image)) < 0 ||
        !file.commit()) {
        std::fprintf(stderr, "roteka-pack-picture: %s: %s\n", argv[2],
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}

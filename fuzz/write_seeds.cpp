// Writes the crafted data files into the folder given, as the data-file fuzzer's seed inputs,
// and small card-like images in every format the scanner reads into the second folder.
#include "HostileDataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <leptonica/allheaders.h>

namespace {

// A light card with a few dark bars where text would be, as PNG, JPEG, TIFF and BMP.
bool writeImageSeeds(const QString &folder)
{
    PIX *card = pixCreate(96, 56, 8);
    pixSetAllArbitrary(card, 235);
    for (int row = 0; row < 4; ++row)
        pixRasterop(card, 8, 8 + row * 11, 40 + row * 9, 5, PIX_CLR, nullptr, 0, 0);
    const std::pair<int, const char *> formats[] = { { IFF_PNG, "card.png" },
                                                     { IFF_JFIF_JPEG, "card.jpg" },
                                                     { IFF_TIFF, "card.tif" },
                                                     { IFF_BMP, "card.bmp" } };
    bool written = true;
    for (const auto &[format, name] : formats) {
        l_uint8 *bytes = nullptr;
        size_t size = 0;
        if (pixWriteMem(&bytes, &size, card, format) != 0) {
            written = false;
            continue;
        }
        QFile file(QDir(folder).filePath(QString::fromLatin1(name)));
        written = file.open(QIODevice::WriteOnly)
            && file.write(reinterpret_cast<const char *>(bytes), qint64(size)) == qint64(size)
            && written;
        lept_free(bytes);
    }
    pixDestroy(&card);
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3 || !QDir().mkpath(arguments.at(1))
        || (arguments.size() == 3 && !QDir().mkpath(arguments.at(2)))) {
        std::fprintf(stderr, "usage: zorvane-fuzz-seeds FOLDER [IMAGE_FOLDER]\n");
        return 2;
    }
    if (arguments.size() == 3 && !writeImageSeeds(arguments.at(2))) {
        std::fprintf(stderr, "could not write the image seeds\n");
        return 1;
    }
    const auto written = HostileDataFiles::write(arguments.at(1));
    if (!written) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(written.message()));
        return 1;
    }
    return 0;
}

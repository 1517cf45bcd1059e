#pragma once

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <tiffio.h>
#include <vector>

namespace testsupport {

// A camera RAW file as a DNG: a tiny linear raw image and, as the camera's preview, the picture
// as a JPEG with the TIFF orientation given (6: the camera was turned a quarter clockwise).
inline void writeDng(const QString &path, const QImage &preview, int orientation = 1)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    preview.save(&buffer, "JPG", 90);
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    static const unsigned char kDngVersion[4] = {1, 4, 0, 0};
    toff_t rawImage = 0;
    const auto image = [&](int subfile, QSize size, int bits, int compression, int photometric) {
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, subfile);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, size.width());
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, size.height());
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, size.height());
    };
    image(FILETYPE_REDUCEDIMAGE, preview.size(), 8, COMPRESSION_JPEG, PHOTOMETRIC_YCBCR);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_MAKE, "Shelfmaster");
    TIFFSetField(tiff, TIFFTAG_DNGVERSION, kDngVersion);
    TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &rawImage);
    TIFFWriteRawStrip(tiff, 0, jpeg.data(), jpeg.size());
    TIFFWriteDirectory(tiff);
    image(0, QSize(64, 48), 16, COMPRESSION_NONE, 34892); // linear raw
    std::vector<uint16_t> pixels(64 * 48 * 3, 1000);
    TIFFWriteEncodedStrip(tiff, 0, pixels.data(), tmsize_t(pixels.size() * sizeof(uint16_t)));
    TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
}

} // namespace testsupport

#include "viewers/RawPreview.h"

#include "platform/FileNames.h"

#include <libraw/libraw.h>
#include <memory>

namespace viewers {

namespace {

// LibRaw's flip: 3 is upside down, 5 a quarter turn counter-clockwise, 6 one clockwise.
QTransform uprightFor(int flip)
{
    switch (flip) {
    case 3:
        return QTransform().rotate(180);
    case 5:
        return QTransform().rotate(270);
    case 6:
        return QTransform().rotate(90);
    default:
        return {};
    }
}

} // namespace

RawPreview readRawPreview(const QString &path)
{
    RawPreview preview;
    // The decoder's state is large: it lives on the heap, one per read, so reads on several
    // threads never share it.
    const auto raw = std::make_unique<LibRaw>();
    int status = raw->open_file(platform::encodeFileName(path).constData());
    if (status == LIBRAW_SUCCESS)
        status = raw->unpack_thumb();
    if (status != LIBRAW_SUCCESS) {
        preview.error = QString::fromUtf8(libraw_strerror(status));
        return preview;
    }
    const libraw_thumbnail_t &thumbnail = raw->imgdata.thumbnail;
    preview.upright = uprightFor(raw->imgdata.sizes.flip);
    if (thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG) {
        preview.jpeg = QByteArray(thumbnail.thumb, thumbnail.tlength);
    } else if (thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP && thumbnail.tcolors == 3 &&
               qint64(thumbnail.twidth) * thumbnail.theight * 3 <= thumbnail.tlength) {
        preview.pixels = QImage(reinterpret_cast<const uchar *>(thumbnail.thumb), thumbnail.twidth,
                                thumbnail.theight, thumbnail.twidth * 3, QImage::Format_RGB888)
                             .copy();
    } else {
        preview.error = QStringLiteral("no preview in this RAW file");
    }
    return preview;
}

} // namespace viewers

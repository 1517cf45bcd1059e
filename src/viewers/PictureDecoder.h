#pragma once

#include "platform/Failure.h"

#include <QImage>
#include <QString>

namespace viewers {

struct DecodedPicture {
    QImage image;               // upright; possibly smaller than the picture itself
    QSize fullSize;             // the picture's own size, upright
    platform::MaybeFailure failure;

    bool reduced() const { return image.size() != fullSize; }
};

// Reads pictures from disk. Pictures are turned upright as their EXIF orientation says, and a
// picture larger than the size it is needed at is decoded smaller (JPEG decodes at a fraction
// of its size far faster than at full size).
class PictureDecoder {
public:
    // bound: the largest size the picture will be shown at; empty for full size. An empty path
    // gives an empty picture and no failure.
    DecodedPicture decode(const QString &path, QSize bound = QSize()) const;
};

} // namespace viewers

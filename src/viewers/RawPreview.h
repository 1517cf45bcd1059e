#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTransform>

namespace viewers {

// The largest preview a camera RAW file holds, as the camera wrote it: compressed (JPEG) bytes
// or plain pixels, and the turn that makes it upright.
struct RawPreview {
    QByteArray jpeg;
    QImage pixels;
    QTransform upright;
    QString error; // why there is no usable preview
};

RawPreview readRawPreview(const QString &path);

} // namespace viewers

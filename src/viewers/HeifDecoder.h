#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace viewers {

// HEIC and AVIF pictures, which Qt cannot read, decoded through libheif. libheif applies the
// picture's rotation and mirroring, so the image comes out upright.
bool isHeifName(const QString &path);

struct HeifPicture {
    QImage image;        // empty on failure
    QSize size;          // the picture's own size, upright, as soon as the header was read
    QString error;       // why it could not be decoded
};

// Reads only the header when decode is false.
HeifPicture readHeif(const QByteArray &path, bool decode);

} // namespace viewers

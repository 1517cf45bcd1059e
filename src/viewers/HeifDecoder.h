#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>

struct heif_context;
struct heif_image_handle;

namespace viewers {

// HEIC and AVIF pictures, which Qt cannot read, decoded through libheif. libheif applies the
// picture's rotation and mirroring, so the image comes out upright.
bool isHeifName(const QString &path);

// A HEIC or AVIF file whose header is read first, so that memory can be set aside before the
// picture is decoded: libheif can only decode at full size.
class HeifFile {
public:
    explicit HeifFile(const QByteArray &path);
    ~HeifFile();
    HeifFile(const HeifFile &) = delete;
    HeifFile &operator=(const HeifFile &) = delete;

    // Why the header could not be read or the picture decoded; empty when all went well.
    QString error() const { return m_error; }
    // libheif found the picture too large for memory, or ran out of it.
    bool outOfMemory() const { return m_outOfMemory; }
    // The picture's own size, upright.
    QSize size() const { return m_size; }
    // Once the header is read: the most memory libheif takes while decoding the picture.
    qint64 decodingBytes() const;
    // Once the header is read: the whole picture, in libheif's own pixel buffer; a null image on
    // failure.
    QImage decode();

private:
    void fail(const char *message, bool outOfMemory);

    struct ContextDeleter {
        void operator()(heif_context *context) const;
    };
    struct HandleDeleter {
        void operator()(heif_image_handle *handle) const;
    };
    std::unique_ptr<heif_context, ContextDeleter> m_context;
    std::unique_ptr<heif_image_handle, HandleDeleter> m_handle;
    QSize m_size;
    QString m_error;
    bool m_outOfMemory = false;
};

} // namespace viewers

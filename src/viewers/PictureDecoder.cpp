#include "viewers/PictureDecoder.h"

#include "platform/FileNames.h"
#include "viewers/HeifDecoder.h"

#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <fcntl.h>
#include <mutex>

namespace viewers {

namespace {

// A 100-megapixel picture needs about 400 MB decoded, more than Qt allows by default. Larger
// than the pixel limit, a picture is refused before anything is allocated for it.
constexpr int kAllocationLimitMegabytes = 2048;
constexpr qint64 kPixelLimit = qint64(256) * 1024 * 1024;

// Qt's allocation limit is one for the whole program: it is raised only while pictures decode,
// on any thread, and put back when the last of them is done.
class AllocationLimit {
public:
    AllocationLimit()
    {
        const std::lock_guard lock(mutex());
        if (depth()++ == 0) {
            before() = QImageReader::allocationLimit();
            QImageReader::setAllocationLimit(kAllocationLimitMegabytes);
        }
    }
    ~AllocationLimit()
    {
        const std::lock_guard lock(mutex());
        if (--depth() == 0)
            QImageReader::setAllocationLimit(before());
    }
    AllocationLimit(const AllocationLimit &) = delete;
    AllocationLimit &operator=(const AllocationLimit &) = delete;

private:
    static std::mutex &mutex()
    {
        static std::mutex shared;
        return shared;
    }
    static int &depth()
    {
        static int decoding = 0;
        return decoding;
    }
    static int &before()
    {
        static int limit = 0;
        return limit;
    }
};

qint64 pixels(QSize size)
{
    return qint64(size.width()) * size.height();
}

platform::Failure invalid(const QString &why)
{
    return {platform::errors::InvalidPicture, QStringLiteral("Invalid picture: ") + why};
}

DecodedPicture tooLarge()
{
    return {QImage(), QSize(),
            platform::Failure{platform::errors::OutOfMemory, QStringLiteral("Out of memory")}};
}

// HEIC and AVIF cannot be decoded reduced: the whole picture is decoded, then scaled to the bound.
DecodedPicture decodeHeif(const QString &path, QSize bound)
{
    const QByteArray bytes = platform::encodeFileName(path);
    if (HeifPicture header = readHeif(bytes, false); !header.error.isEmpty() || pixels(header.size) > kPixelLimit)
        return header.error.isEmpty() ? tooLarge() : DecodedPicture{QImage(), QSize(), invalid(header.error)};
    HeifPicture heif = readHeif(bytes, true);
    if (heif.image.isNull())
        return {QImage(), QSize(), invalid(heif.error)};
    DecodedPicture picture{heif.image, heif.size, std::nullopt};
    if (bound.isValid() && (heif.size.width() > bound.width() || heif.size.height() > bound.height()))
        picture.image = heif.image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

} // namespace

DecodedPicture PictureDecoder::decode(const QString &path, QSize bound) const
{
    DecodedPicture picture;
    if (path.isEmpty())
        return picture;
    if (isHeifName(path))
        return decodeHeif(path, bound);
    // Opened by its bytes, so names that are not valid UTF-8 load too.
    const int fd = ::open(platform::encodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        picture.failure = platform::Failure::fromErrno(errno);
        return picture;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QImageReader reader(&file);
    reader.setAutoTransform(true);

    const QSize stored = reader.size();
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    picture.fullSize = turned ? stored.transposed() : stored;
    if (bound.isValid() && stored.isValid() &&
        (picture.fullSize.width() > bound.width() || picture.fullSize.height() > bound.height())) {
        const QSize storedBound = turned ? bound.transposed() : bound;
        reader.setScaledSize(stored.scaled(storedBound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    // A format that cannot decode reduced (BMP, GIF) decodes at full size and scales afterwards.
    const QSize decoded = reader.scaledSize().isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)
                              ? reader.scaledSize()
                              : stored;
    if (pixels(decoded) > kPixelLimit)
        return tooLarge();
    const AllocationLimit limit;
    if (!reader.read(&picture.image)) {
        picture.failure = invalid(reader.errorString());
        picture.image = QImage();
        picture.fullSize = QSize();
        return picture;
    }
    if (!picture.fullSize.isValid())
        picture.fullSize = picture.image.size();
    return picture;
}

} // namespace viewers

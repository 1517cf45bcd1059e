#include "viewers/PictureDecoder.h"

#include "platform/FileNames.h"
#include "browse/FileUnits.h"
#include "viewers/HeifDecoder.h"
#include "viewers/RawPreview.h"

#include <QBuffer>

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <mutex>

namespace viewers {

namespace {

// A 100-megapixel picture needs about 400 MB decoded, more than Qt allows by default.
constexpr int kAllocationLimitMegabytes = 2048;
// Decodes under way together, on the window's thread and the read-ahead's, stay within this: one
// picture of 256 megapixels as Qt decodes it, or a 48-megapixel HEIC of 10 bits as libheif does.
constexpr qint64 kDecodeBudgetBytes = qint64(1024) * 1024 * 1024;
constexpr qint64 kQtBytesPerPixel = 4;

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
    return {platform::FailureKind::InvalidPicture, QStringLiteral("Invalid picture: ") + why};
}

DecodedPicture outOfMemory()
{
    return {QImage(), QSize(),
            platform::Failure{platform::FailureKind::OutOfMemory, QStringLiteral("Out of memory")}};
}

// For pictures that cannot be decoded reduced: scaled down to the bound after decoding.
QImage reducedTo(const QImage &image, QSize bound)
{
    const bool larger = bound.isValid() && (image.width() > bound.width() || image.height() > bound.height());
    return larger ? image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation) : image;
}

DecodedPicture failed(const HeifFile &file)
{
    return file.outOfMemory() ? outOfMemory() : DecodedPicture{QImage(), QSize(), invalid(file.error())};
}

} // namespace

DecodeBudget::Reservation::~Reservation()
{
    if (m_budget)
        m_budget->release(m_bytes);
}

DecodeBudget::Reservation DecodeBudget::reserve(qint64 bytes, bool wait)
{
    QMutexLocker lock(&m_mutex);
    if (bytes > m_total)
        return {};
    while (bytes > m_free) {
        if (!wait)
            return {};
        m_released.wait(&m_mutex);
    }
    m_free -= bytes;
    return Reservation(this, bytes);
}

void DecodeBudget::release(qint64 bytes)
{
    const QMutexLocker lock(&m_mutex);
    m_free += bytes;
    m_released.wakeAll();
}

DecodeBudget &DecodeBudget::pictures()
{
    static DecodeBudget budget(kDecodeBudgetBytes);
    return budget;
}

DecodeBudget::Reservation PictureDecoder::reserve(qint64 bytes) const
{
    return DecodeBudget::pictures().reserve(bytes, m_whenBusy == WhenBusy::Wait);
}

// HEIC and AVIF cannot be decoded reduced: the whole picture is decoded, then scaled to the bound.
DecodedPicture PictureDecoder::decodeHeif(const QString &path, QSize bound) const
{
    HeifFile file(platform::encodeFileName(path));
    if (!file.error().isEmpty())
        return failed(file);
    const DecodeBudget::Reservation memory = reserve(file.decodingBytes());
    if (!memory)
        return outOfMemory();
    const QImage image = file.decode();
    if (image.isNull())
        return failed(file);
    return {reducedTo(image, bound), image.size(), std::nullopt};
}

DecodedPicture PictureDecoder::decode(const QString &path, QSize bound) const
{
    DecodedPicture picture;
    if (path.isEmpty())
        return picture;
    if (isHeifName(path))
        return decodeHeif(path, bound);
    if (browse::isRawName(path))
        return decodeRaw(path, bound);
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
    return read(reader, bound);
}

// A RAW file shows the preview the camera embedded, decoded as any JPEG and turned upright.
DecodedPicture PictureDecoder::decodeRaw(const QString &path, QSize bound) const
{
    const RawPreview preview = readRawPreview(path);
    if (!preview.error.isEmpty())
        return {QImage(), QSize(), invalid(preview.error)};
    if (!preview.pixels.isNull()) {
        const QImage image = preview.pixels.transformed(preview.upright);
        return {reducedTo(image, bound), image.size(), std::nullopt};
    }
    QBuffer buffer;
    buffer.setData(preview.jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    DecodedPicture picture = read(reader, bound, preview.upright);
    picture.image = picture.image.transformed(preview.upright);
    return picture;
}

// upright: the turn applied after decoding, when the reader does not apply one itself.
DecodedPicture PictureDecoder::read(QImageReader &reader, QSize bound, const QTransform &upright) const
{
    DecodedPicture picture;
    const QSize stored = reader.size();
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90) ||
                        upright.m12() != 0;
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
    const DecodeBudget::Reservation memory = reserve(pixels(decoded) * kQtBytesPerPixel);
    if (!memory)
        return outOfMemory();
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

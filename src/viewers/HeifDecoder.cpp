#include "viewers/HeifDecoder.h"

#include <algorithm>
#include <libheif/heif.h>

namespace viewers {

namespace {

// libheif refuses, while reading the file, any picture side or tile grid canvas of this length or
// more. It bounds the grid canvas, whose size libheif takes from the grid itself, not from the size
// the header declares and the memory budget is reckoned from.
constexpr int kMaxSide = 16384;

// Measured peaks of libheif's decode to 8-bit RGBA (codec buffers, planes, colour conversion): about
// 9 bytes a pixel for 8-bit pictures and 15 for deeper ones; a margin covers an alpha plane.
constexpr qint64 kBytesPerPixel = 11;
constexpr qint64 kBytesPerDeepPixel = 17;

struct OptionsDeleter {
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};

void releaseImage(void *image)
{
    heif_image_release(static_cast<heif_image *>(image));
}

} // namespace

bool isHeifName(const QString &path)
{
    for (const char *ending : {".heic", ".heif", ".avif"}) {
        if (path.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void HeifFile::ContextDeleter::operator()(heif_context *context) const
{
    heif_context_free(context);
}

void HeifFile::HandleDeleter::operator()(heif_image_handle *handle) const
{
    heif_image_handle_release(handle);
}

HeifFile::HeifFile(const QByteArray &path)
    : m_context(heif_context_alloc())
{
    heif_context_set_maximum_image_size_limit(m_context.get(), kMaxSide);
    heif_error error = heif_context_read_from_file(m_context.get(), path.constData(), nullptr);
    heif_image_handle *handle = nullptr;
    if (error.code == heif_error_Ok)
        error = heif_context_get_primary_image_handle(m_context.get(), &handle);
    if (error.code != heif_error_Ok) {
        fail(error.message, error.code == heif_error_Memory_allocation_error);
        return;
    }
    m_handle.reset(handle);
    m_size = QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

HeifFile::~HeifFile() = default;

qint64 HeifFile::decodingBytes() const
{
    // The picture is decoded at its stored size, then cropped and turned upright.
    const qint64 stored =
        qint64(heif_image_handle_get_ispe_width(m_handle.get())) * heif_image_handle_get_ispe_height(m_handle.get());
    const qint64 pixels = std::max(stored, qint64(m_size.width()) * m_size.height());
    return pixels * (heif_image_handle_get_luma_bits_per_pixel(m_handle.get()) > 8 ? kBytesPerDeepPixel
                                                                                    : kBytesPerPixel);
}

QImage HeifFile::decode()
{
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    heif_image *image = nullptr;
    const heif_error error = heif_decode_image(m_handle.get(), &image, heif_colorspace_RGB,
                                               heif_chroma_interleaved_RGBA, options.get());
    if (error.code != heif_error_Ok) {
        fail(error.message, error.code == heif_error_Memory_allocation_error);
        return {};
    }
    int stride = 0;
    uint8_t *pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0) {
        heif_image_release(image);
        fail("no pixels", false);
        return {};
    }
    // No copy of a picture that may take a gigabyte: the image gives libheif's buffer back when
    // its last user is done with it. libheif makes an opaque picture's alpha bytes 255; told so, Qt
    // scales the picture without first converting it.
    const QImage::Format format = heif_image_handle_has_alpha_channel(m_handle.get()) ? QImage::Format_RGBA8888
                                                                                     : QImage::Format_RGBX8888;
    return QImage(pixels, width, height, stride, format, releaseImage, image);
}

void HeifFile::fail(const char *message, bool outOfMemory)
{
    m_error = QString::fromUtf8(message);
    m_outOfMemory = outOfMemory;
}

} // namespace viewers

#include "viewers/HeifDecoder.h"

#include <libheif/heif.h>
#include <memory>

namespace viewers {

namespace {

template <class T, void (*Release)(const T *)>
struct Releaser {
    void operator()(T *object) const { Release(object); }
};

using Handle = std::unique_ptr<heif_image_handle, Releaser<heif_image_handle, heif_image_handle_release>>;
using Image = std::unique_ptr<heif_image, Releaser<heif_image, heif_image_release>>;

struct ContextDeleter {
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};

} // namespace

bool isHeifName(const QString &path)
{
    for (const char *ending : {".heic", ".heif", ".avif"}) {
        if (path.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

HeifPicture readHeif(const QByteArray &path, bool decode)
{
    HeifPicture picture;
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    heif_error error = heif_context_read_from_file(context.get(), path.constData(), nullptr);
    heif_image_handle *rawHandle = nullptr;
    if (error.code == heif_error_Ok)
        error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    if (error.code != heif_error_Ok) {
        picture.error = QString::fromUtf8(error.message);
        return picture;
    }
    const Handle handle(rawHandle);
    picture.size = QSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));
    if (!decode)
        return picture;

    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    heif_image *rawImage = nullptr;
    error = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                              options.get());
    if (error.code != heif_error_Ok) {
        picture.error = QString::fromUtf8(error.message);
        return picture;
    }
    const Image image(rawImage);
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0) {
        picture.error = QStringLiteral("no pixels");
        return picture;
    }
    // The plane belongs to libheif's image: the picture keeps a copy of its own.
    picture.image = QImage(pixels, width, height, stride, QImage::Format_RGBA8888).copy();
    picture.size = picture.image.size();
    return picture;
}

} // namespace viewers

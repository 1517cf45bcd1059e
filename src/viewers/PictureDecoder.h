#pragma once

#include "platform/Failure.h"

#include <QImage>
#include <QImageReader>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

namespace viewers {

struct DecodedPicture {
    QImage image;               // upright; possibly smaller than the picture itself
    QSize fullSize;             // the picture's own size, upright
    platform::MaybeFailure failure;

    bool reduced() const { return image.size() != fullSize; }
};

// Memory for the pictures being decoded at once, on any thread (the window's and the read-ahead's):
// a decode sets aside what it will take before anything is allocated for it.
class DecodeBudget {
public:
    explicit DecodeBudget(qint64 bytes)
        : m_total(bytes)
        , m_free(bytes)
    {
    }

    // Bytes set aside until it goes; empty when refused.
    class Reservation {
    public:
        Reservation() = default;
        ~Reservation();
        Reservation(const Reservation &) = delete;
        Reservation &operator=(const Reservation &) = delete;
        explicit operator bool() const { return m_budget != nullptr; }

    private:
        friend class DecodeBudget;
        Reservation(DecodeBudget *budget, qint64 bytes)
            : m_budget(budget)
            , m_bytes(bytes)
        {
        }
        DecodeBudget *m_budget = nullptr;
        qint64 m_bytes = 0;
    };

    // More than the whole budget is refused. Otherwise, while other decodes hold too much, the
    // reservation waits for them to finish or, when it may not wait, is refused.
    Reservation reserve(qint64 bytes, bool wait);

    // The budget every picture decode shares.
    static DecodeBudget &pictures();

private:
    void release(qint64 bytes);

    QMutex m_mutex;
    QWaitCondition m_released;
    const qint64 m_total;
    qint64 m_free;
};

// Reads pictures from disk. Pictures are turned upright as their EXIF orientation says, and a
// picture larger than the size it is needed at is decoded smaller (JPEG decodes at a fraction
// of its size far faster than at full size).
class PictureDecoder {
public:
    // What a decode does when the ones under way elsewhere hold the memory it needs.
    enum class WhenBusy { Wait, Refuse };

    explicit PictureDecoder(WhenBusy whenBusy = WhenBusy::Wait)
        : m_whenBusy(whenBusy)
    {
    }

    // bound: the largest size the picture will be shown at; empty for full size. An empty path
    // gives an empty picture and no failure.
    DecodedPicture decode(const QString &path, QSize bound = QSize()) const;

private:
    DecodedPicture decodeHeif(const QString &path, QSize bound) const;
    DecodedPicture decodeRaw(const QString &path, QSize bound) const;
    DecodedPicture read(QImageReader &reader, QSize bound, const QTransform &upright = {}) const;
    DecodeBudget::Reservation reserve(qint64 bytes) const;

    WhenBusy m_whenBusy;
};

} // namespace viewers

#pragma once

#include "viewers/PictureDecoder.h"

#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QThreadPool>
#include <QWaitCondition>
#include <optional>

namespace viewers {

// Decodes the pictures the user will probably look at next on a worker thread, so that the
// preview can show them at once. A picture is kept for the file as it was when decoded (path,
// size, modification time) and the size it was decoded for; a changed file is decoded afresh.
// Failures are not kept: the window's own decode then reports them as always.
class ReadAhead {
public:
    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // Decodes these pictures at bound in the background; work asked for before and not yet begun
    // is dropped.
    void prefetch(const QStringList &paths, QSize bound);
    // The picture decoded for the file as it is now. One being decoded right now is waited for:
    // decoding it a second time beside it takes longer.
    std::optional<DecodedPicture> find(const QString &path, QSize bound);
    // Decodes a picture on the spot with the window's decoder, and keeps it: after a copy the
    // user's step back is to it.
    DecodedPicture decodeHere(const QString &path, QSize bound, const PictureDecoder &decoder);
    bool isReady(const QString &path, QSize bound);
    // Drops every decoded picture and the work under way (the folder or the window changed).
    void clear();

private:
    struct Key {
        QString path;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        QSize bound;
        bool operator==(const Key &) const = default;
    };
    struct Ready {
        Key key;
        DecodedPicture picture;
    };
    static std::optional<Key> keyOf(const QString &path, QSize bound);
    void decode(const QString &path, QSize bound, quint64 generation);
    qsizetype findLocked(const Key &key) const;
    void addLocked(const Key &key, const DecodedPicture &picture);

    QThreadPool m_pool;
    QMutex m_mutex;
    QList<Ready> m_ready; // oldest first
    QList<Key> m_decoding;
    QList<Key> m_waiting; // to be decoded once the one under way is half done
    QWaitCondition m_decoded;
    quint64 m_generation = 0;
    QElapsedTimer m_clock;
    qint64 m_lastStartNs = 0; // of the newest decode
    qint64 m_decodeNs = 0;    // the last decode took
};

} // namespace viewers

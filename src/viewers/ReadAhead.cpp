#include "viewers/ReadAhead.h"

#include "platform/FileNames.h"

#include <QMutexLocker>
#include <QThread>
#include <sys/stat.h>

namespace viewers {

namespace {

// A few pictures, and never much memory: the next and the previous one are what counts.
constexpr qsizetype kMaxPictures = 4;
constexpr qint64 kMaxBytes = qint64(256) * 1024 * 1024;

} // namespace

ReadAhead::ReadAhead()
{
    // Two at once: without a pause between sorts, the one after next is under way too.
    m_pool.setMaxThreadCount(2);
    m_clock.start();
}

ReadAhead::~ReadAhead()
{
    clear();
    m_pool.waitForDone();
}

std::optional<ReadAhead::Key> ReadAhead::keyOf(const QString &path, QSize bound)
{
    struct stat info {};
    if (::stat(platform::encodeFileName(path).constData(), &info) != 0)
        return std::nullopt;
    return Key{path, qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, bound};
}

qsizetype ReadAhead::findLocked(const Key &key) const
{
    for (qsizetype i = 0; i < m_ready.size(); ++i) {
        if (m_ready.at(i).key == key)
            return i;
    }
    return -1;
}

void ReadAhead::prefetch(const QStringList &paths, QSize bound)
{
    QMutexLocker lock(&m_mutex);
    // Decodes under way go on: without a pause between sorts, the one after next is among them.
    const quint64 generation = m_generation;
    m_pool.clear(); // work not yet started is no longer wanted
    for (const QString &path : paths) {
        const std::optional<Key> key = keyOf(path, bound);
        if (!key || findLocked(*key) >= 0 || m_decoding.contains(*key) || m_waiting.contains(*key))
            continue;
        m_pool.start([this, path, bound, generation] { decode(path, bound, generation); });
    }
}

void ReadAhead::decode(const QString &path, QSize bound, quint64 generation)
{
    // The key is taken before decoding: a file changed meanwhile no longer matches it.
    const std::optional<Key> key = keyOf(path, bound);
    qint64 pause = 0;
    {
        QMutexLocker lock(&m_mutex);
        if (!key || generation != m_generation)
            return;
        if (!m_decoding.isEmpty())
            pause = m_decodeNs / 2 - (m_clock.nsecsElapsed() - m_lastStartNs);
        m_waiting.append(*key);
    }
    // Two decodes begun together end together: without a pause between sorts the user then waits
    // for a whole decode and finds the next picture ready, again and again. Begun half a decode
    // apart, each picture waits about half a decode.
    if (pause > 0)
        QThread::usleep(quint64(pause / 1000));
    const qint64 started = m_clock.nsecsElapsed();
    {
        QMutexLocker lock(&m_mutex);
        m_waiting.removeOne(*key);
        // Dropped meanwhile, or decoded by the window, which does not wait for a decode not begun.
        if (generation != m_generation || findLocked(*key) >= 0)
            return;
        m_decoding.append(*key);
        m_lastStartNs = started;
    }
    // A guess at what comes next does not wait for memory: the window's own decode may need it.
    DecodedPicture picture = PictureDecoder(PictureDecoder::WhenBusy::Refuse).decode(path, bound);
    QMutexLocker lock(&m_mutex);
    m_decodeNs = m_clock.nsecsElapsed() - started;
    m_decoding.removeOne(*key);
    m_decoded.wakeAll();
    if (!picture.failure && generation == m_generation)
        addLocked(*key, picture);
}

void ReadAhead::addLocked(const Key &key, const DecodedPicture &picture)
{
    if (findLocked(key) >= 0)
        return;
    m_ready.append({key, picture});
    qint64 bytes = 0;
    for (const Ready &ready : std::as_const(m_ready))
        bytes += ready.picture.image.sizeInBytes();
    while (m_ready.size() > kMaxPictures || (m_ready.size() > 1 && bytes > kMaxBytes)) {
        bytes -= m_ready.first().picture.image.sizeInBytes();
        m_ready.removeFirst();
    }
}

DecodedPicture ReadAhead::decodeHere(const QString &path, QSize bound, const PictureDecoder &decoder)
{
    const std::optional<Key> key = keyOf(path, bound);
    DecodedPicture picture = decoder.decode(path, bound);
    QMutexLocker lock(&m_mutex);
    if (key && !picture.failure)
        addLocked(*key, picture);
    return picture;
}

std::optional<DecodedPicture> ReadAhead::find(const QString &path, QSize bound)
{
    const std::optional<Key> key = keyOf(path, bound);
    if (!key)
        return std::nullopt;
    QMutexLocker lock(&m_mutex);
    while (m_decoding.contains(*key))
        m_decoded.wait(&m_mutex);
    const qsizetype at = findLocked(*key);
    if (at < 0)
        return std::nullopt;
    // The pictures share their pixels: the one shown stays, as the newest, for a step back.
    m_ready.append(m_ready.takeAt(at));
    return m_ready.last().picture;
}

bool ReadAhead::isReady(const QString &path, QSize bound)
{
    const std::optional<Key> key = keyOf(path, bound);
    QMutexLocker lock(&m_mutex);
    return key && findLocked(*key) >= 0;
}

void ReadAhead::clear()
{
    QMutexLocker lock(&m_mutex);
    ++m_generation;
    m_pool.clear();
    m_ready.clear();
}

} // namespace viewers

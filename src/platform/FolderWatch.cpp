#include "platform/FolderWatch.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"

#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kQuietMs = 100;
constexpr int kLongestBatchMs = 250;
constexpr int kRereadMs = 1000;

// Entries coming and going under any name, and the folder itself going. IN_ONLYDIR: a file put in
// the folder's place is not watched.
constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                             IN_ONLYDIR;
// A moved folder keeps its watch, which then follows it elsewhere; the others end it.
constexpr uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

} // namespace

bool notifiesChanges(long fileSystemType)
{
    // Compared as 32 bits: where f_type is an int, the larger numbers come sign-extended.
    switch (static_cast<quint32>(fileSystemType)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x73757245: // Coda
        return false;
    default:
        return true;
    }
}

FolderWatch::FolderWatch(QObject *parent)
    : QObject(parent)
{
    for (auto [timer, ms] : {std::pair{&m_quiet, kQuietMs}, {&m_longest, kLongestBatchMs}, {&m_reread, kRereadMs}}) {
        timer->setSingleShot(true);
        timer->setInterval(ms);
    }
    connect(&m_quiet, &QTimer::timeout, this, &FolderWatch::sendNames);
    connect(&m_longest, &QTimer::timeout, this, &FolderWatch::sendNames);
    connect(&m_reread, &QTimer::timeout, this, &FolderWatch::rereadIntervalEnded);
    connect(&m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
}

FolderWatch::~FolderWatch()
{
    m_notifier.setEnabled(false);
    if (m_queue >= 0)
        ::close(m_queue);
}

void FolderWatch::watch(const QString &folder)
{
    stop();
    const QByteArray path = encodeFileName(folder);
    struct statfs system {};
    if (folder.isEmpty() || checkFolder(folder) || ::statfs(path.constData(), &system) != 0)
        return;
    // Without a watch (limits reached, no right to read the folder) only re-reading sees changes.
    if (openQueue())
        m_watch = ::inotify_add_watch(m_queue, path.constData(), kEvents);
    m_folder = folder;
    m_notifies = m_watch >= 0 && notifiesChanges(system.f_type);
    if (!m_notifies)
        m_reread.start();
}

// One queue for all the folders watched one after another: a queue is a scarce per-user resource.
bool FolderWatch::openQueue()
{
    if (m_queue < 0) {
        m_queue = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_queue < 0)
            return false;
        m_notifier.setSocket(m_queue);
        m_notifier.setEnabled(true);
    }
    return true;
}

void FolderWatch::readEvents()
{
    bool lostTrack = false;
    alignas(inotify_event) char buffer[4096];
    ssize_t size = 0;
    while ((size = ::read(m_queue, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < size;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) { // belongs to no watch
                lostTrack = true;
                m_names.clear();
            } else if (event->wd != m_watch) {
                continue;
            } else if (event->mask & kFolderGone) {
                stop(); // the next read of the folder tells the user it is gone
            } else {
                noteName(decodeFileName(QByteArray(event->name)));
            }
        }
    }
    if (lostTrack && m_watch >= 0)
        emit rereadNeeded();
}

void FolderWatch::noteName(const QString &name)
{
    if (m_names.isEmpty())
        m_longest.start();
    m_names.insert(name);
    m_quiet.start();
}

void FolderWatch::sendNames()
{
    m_quiet.stop();
    m_longest.stop();
    const QStringList names = m_names.values();
    m_names.clear();
    if (!names.isEmpty()) // emptied by an overflow meanwhile
        emit namesChanged(names);
}

void FolderWatch::rereadIntervalEnded()
{
    // Without notification a folder that went is only seen here; as with notification, it ends quietly.
    if (checkFolder(m_folder)) {
        stop();
        return;
    }
    emit rereadNeeded();
    // Counted from the end of the re-read, which may be slow. The receiver may have watched another folder.
    if (!m_notifies && !m_folder.isEmpty())
        m_reread.start();
}

void FolderWatch::stop()
{
    if (m_watch >= 0)
        ::inotify_rm_watch(m_queue, m_watch);
    m_watch = -1;
    m_folder.clear();
    m_notifies = false;
    m_names.clear();
    m_quiet.stop();
    m_longest.stop();
    m_reread.stop();
}

} // namespace platform

#pragma once

#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace platform {

// Whether a file system of this type (statfs's f_type) tells of changes as they happen. Network
// and user-space file systems tell only of those made on this machine, if at all.
bool notifiesChanges(long fileSystemType);

// Tells when entries of one folder may have changed, by names where the system says which.
// Changes the program makes itself are told too.
class FolderWatch : public QObject {
    Q_OBJECT

public:
    explicit FolderWatch(QObject *parent = nullptr);
    ~FolderWatch() override;

    // Watches this folder instead of the one before, afresh also when it is the same one; an empty
    // path, or a folder that is not there, stops watching.
    void watch(const QString &folder);
    // The folder watched; empty when none, also after the folder itself was removed or moved away.
    QString folder() const { return m_folder; }
    // Whether changes arrive as they happen (a local file system with notification); false on
    // network shares and other file systems where only a periodic re-read sees other machines' changes.
    bool notifies() const { return m_notifies; }

signals:
    // Entries with these names (plain names, no path) were added, removed or renamed; the receiver
    // must look at them again (they may have come and gone meanwhile).
    void namesChanged(const QStringList &names);
    // The system lost track (queue overflow), or the folder is on a file system without
    // notification and its re-read interval came round: the receiver should read the whole folder.
    void rereadNeeded();

private:
    bool openQueue();
    void readEvents();
    void noteName(const QString &name);
    void sendNames();
    void rereadIntervalEnded();
    void stop();

    int m_queue = -1; // the inotify descriptor, kept from the first watch on
    int m_watch = -1; // the folder's watch in it; events of earlier watches are dropped
    QString m_folder;
    bool m_notifies = false;
    QSocketNotifier m_notifier{QSocketNotifier::Read};
    QSet<QString> m_names; // told since the last namesChanged
    QTimer m_quiet;        // a batch ends when no more names come for a moment...
    QTimer m_longest;      // ...or, in a steady stream, after this
    QTimer m_reread;       // where changes are not told
};

} // namespace platform

#pragma once

#include "browse/FileUnits.h"
#include "platform/Failure.h"
#include "platform/Folders.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

namespace browse {

// What a read of a folder found so far, in list order.
struct Listing {
    QStringList names;
    QHash<QString, FileUnit> units; // by name, those with more than one member
    platform::MaybeFailure failure;
    bool complete = false;
};

// Reads the start of a folder on the window thread: all of it when that is quick, as it is for
// nearly every folder, else its first entries. Returns the stream to read on from, or nothing
// when the folder was read to its end (or could not be read: see failure).
std::shared_ptr<platform::FolderStream> readStart(const QString &path, platform::EntryKind kind,
                                                  const std::function<void(platform::FolderEntry &&)> &take,
                                                  platform::MaybeFailure &failure);

// Reads folders on a worker thread, one at a time: a new read abandons the one before, which
// stops at its next entry. What a read finds arrives on the window thread, so far or complete.
class FolderReader : public QObject {
    Q_OBJECT

public:
    // What a read hands over: a listing so far or the complete one.
    using Publish = std::function<void(Listing)>;
    // The read itself, on the worker thread; it stops early once abandoned is set.
    using Work = std::function<void(const std::atomic_bool &abandoned, const Publish &publish)>;

    explicit FolderReader(QObject *parent = nullptr);
    ~FolderReader() override;

    void start(Work work);
    void abandon();
    bool running() const;

signals:
    // A listing of the newest read, so far or complete.
    void arrived(const browse::Listing &listing);
    // The newest read was given up before it completed.
    void abandoned();

private:
    struct Run;
    void deliver(const std::shared_ptr<Run> &run, const Listing &listing);

    std::shared_ptr<Run> m_run;
    // Reads abandoned on a slow share may still be in a call; they must not hold up the next.
    QThreadPool m_pool;
};

} // namespace browse

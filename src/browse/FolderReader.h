#pragma once

#include "browse/FileUnits.h"
#include "platform/Failure.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QDeadlineTimer>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace browse {

// What a read of a folder found so far, in list order.
struct Listing {
    QStringList names;
    QHash<QString, FileUnit> units; // by name, those with more than one member
    platform::MaybeFailure failure;
    bool complete = false;
};

// Reads folders on a worker thread, one at a time: a new read abandons the one before, which
// stops at its next entry. The window waits a moment for each read, so that on a fast disk the
// read is done when start returns, as if it had run on the window thread; a slower one reports
// what it found as it goes, and the window paints meanwhile.
class FolderReader : public QObject {
    Q_OBJECT

public:
    // What a read hands over: a listing so far or the complete one.
    using Publish = std::function<void(Listing)>;
    // The read itself, on the worker thread; it stops early once abandoned is set.
    using Work = std::function<void(const std::atomic_bool &abandoned, const Publish &publish)>;

    explicit FolderReader(QObject *parent = nullptr);
    ~FolderReader() override;

    // The complete listing when the read ended within wait; otherwise it arrives later.
    std::optional<Listing> start(Work work, QDeadlineTimer wait);
    void abandon();
    bool running() const;

signals:
    // A listing of the newest read, so far or complete.
    void arrived(const browse::Listing &listing);

private:
    struct Run;
    void deliver(const std::shared_ptr<Run> &run, Listing listing);

    std::shared_ptr<Run> m_run;
    // Reads abandoned on a slow share may still be in a call; they must not hold up the next.
    QThreadPool m_pool;
};

} // namespace browse

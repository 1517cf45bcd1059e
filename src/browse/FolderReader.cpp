#include "browse/FolderReader.h"

#include <QMutex>
#include <QWaitCondition>

namespace browse {

struct FolderReader::Run {
    std::atomic_bool abandoned = false;
    QMutex mutex;
    QWaitCondition ended;
    std::optional<Listing> complete; // until the window takes it while waiting
    bool taken = false;              // the window has the complete listing: later news is stale
    bool finished = false;
};

FolderReader::FolderReader(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(4);
}

FolderReader::~FolderReader()
{
    abandon();
    // The worker posts to this object until it ends; an abandoned read ends at its next entry.
    m_pool.waitForDone();
}

std::optional<Listing> FolderReader::start(Work work, QDeadlineTimer wait)
{
    abandon();
    auto run = std::make_shared<Run>();
    m_run = run;
    m_pool.start([this, run, work = std::move(work)] {
        work(run->abandoned, [&](Listing listing) {
            if (run->abandoned)
                return;
            if (listing.complete) {
                const QMutexLocker lock(&run->mutex);
                run->complete = listing;
                run->ended.wakeAll();
            }
            QMetaObject::invokeMethod(
                this, [this, run, listing = std::move(listing)]() mutable { deliver(run, std::move(listing)); },
                Qt::QueuedConnection);
        });
    });
    const QMutexLocker lock(&run->mutex);
    if (!run->complete)
        run->ended.wait(&run->mutex, wait);
    if (!run->complete)
        return std::nullopt;
    run->taken = true;
    run->finished = true;
    return std::move(run->complete);
}

void FolderReader::abandon()
{
    if (m_run)
        m_run->abandoned = true;
    m_run.reset();
}

bool FolderReader::running() const
{
    return m_run && !m_run->finished;
}

void FolderReader::deliver(const std::shared_ptr<Run> &run, Listing listing)
{
    if (run != m_run || run->taken)
        return;
    run->finished = listing.complete;
    emit arrived(listing);
}

} // namespace browse

#include "browse/FolderReader.h"

#include <QElapsedTimer>

namespace browse {

namespace {

// The window reads on for this long, and at least this many entries, before a worker takes over:
// long enough for nearly every folder, short enough that a slow share does not hold up painting.
constexpr int kStartMs = 5;
constexpr int kStartEntries = 16;

} // namespace

std::shared_ptr<platform::FolderStream> readStart(const QString &path, platform::EntryKind kind,
                                                  const std::function<void(platform::FolderEntry &&)> &take,
                                                  platform::MaybeFailure &failure)
{
    QElapsedTimer timer;
    timer.start();
    auto stream = std::make_shared<platform::FolderStream>(path, kind);
    int entries = 0;
    const bool more = stream->read(
        [&](platform::FolderEntry &&entry) {
            take(std::move(entry));
            return true;
        },
        [&] { return ++entries < kStartEntries || timer.elapsed() < kStartMs; });
    failure = stream->failure();
    return more ? stream : nullptr;
}

struct FolderReader::Run {
    std::atomic_bool abandoned = false;
    bool finished = false; // its complete listing arrived
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

void FolderReader::start(Work work)
{
    abandon();
    auto run = std::make_shared<Run>();
    m_run = run;
    m_pool.start([this, run, work = std::move(work)] {
        work(run->abandoned, [&](Listing listing) {
            if (run->abandoned)
                return;
            QMetaObject::invokeMethod(
                this, [this, run, listing = std::move(listing)] { deliver(run, listing); }, Qt::QueuedConnection);
        });
    });
}

void FolderReader::abandon()
{
    if (!m_run)
        return;
    m_run->abandoned = true;
    const bool unfinished = !m_run->finished;
    m_run.reset();
    if (unfinished)
        emit abandoned();
}

bool FolderReader::running() const
{
    return m_run && !m_run->finished;
}

void FolderReader::deliver(const std::shared_ptr<Run> &run, const Listing &listing)
{
    if (run != m_run)
        return;
    run->finished = listing.complete;
    emit arrived(listing);
}

} // namespace browse

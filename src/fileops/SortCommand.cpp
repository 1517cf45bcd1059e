#include "fileops/SortCommand.h"

#include "fileops/UndoJournal.h"
#include "platform/Folders.h"

#include <atomic>
#include <cerrno>

namespace fileops {

SortCommand::SortCommand(SortRequest request, UndoJournal &journal, TransferRunner run, Ask ask, Report report)
    : m_request(std::move(request))
    , m_journal(journal)
    , m_run(std::move(run))
    , m_ask(std::move(ask))
    , m_report(std::move(report))
{
}

SortResult SortCommand::run()
{
    // One sort is one step to undo, whatever number of files it sends.
    m_journal.beginStep(m_request.how == Transfer::Copy ? StepKind::Copy : StepKind::Move, m_request.area);
    for (qsizetype i = 0; i < m_request.names.size(); ++i) {
        if (!sendEverywhere(m_request.names.at(i))) {
            m_result.cancelled = m_request.names.mid(i);
            break;
        }
    }
    m_journal.endStep();
    return m_result;
}

bool SortCommand::sendEverywhere(const QString &name)
{
    for (const catalogue::AreaRecord &record : m_request.records) {
        if (m_request.prompt &&
            !m_ask(transferQuestion(m_request.how, platform::joinPath(m_request.folder, name), record.path)))
            continue;
        if (!send(name, record.path))
            return false;
    }
    return true;
}

bool SortCommand::send(const QString &name, const QString &areaPath)
{
    const QString target = platform::joinPath(areaPath, name);
    const NameLookup existing = m_areaNames.find(areaPath, name);
    platform::MaybeFailure failure = existing.found ? platform::Failure::fromErrno(EEXIST) : existing.failure;
    if (!failure) {
        const QString source = platform::joinPath(m_request.folder, name);
        // Holds the runner to its promise to return only once the journal is ours again.
        std::atomic<bool> writing = false;
        failure = m_run(name, [&](const TransferProgress &progress) {
            writing = true;
            platform::MaybeFailure done = m_journal.transfer(source, target, m_request.how, progress);
            writing = false;
            return done;
        });
        Q_ASSERT_X(!writing, "SortCommand", "the runner returned while the journal was being written");
    }
    if (failure && failure->kind == platform::FailureKind::Cancelled)
        return false;
    if (failure) {
        m_report(m_result.failed.emplace_back(SortFailure{name, target, *failure}));
        return true;
    }
    m_areaNames.add(areaPath, name);
    (m_request.how == Transfer::Copy ? m_result.copied : m_result.moved).append(name);
    return true;
}

} // namespace fileops

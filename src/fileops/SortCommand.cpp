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
    const QStringList members = QStringList{name} + m_request.companions.value(name);
    QList<UnitMember> unit;
    for (const QString &member : members)
        unit.append({platform::joinPath(m_request.folder, member), platform::joinPath(areaPath, member)});
    // Every member's name is checked before the first one goes.
    QString target;
    platform::MaybeFailure failure;
    for (qsizetype i = 0; i < members.size() && !failure; ++i) {
        const NameLookup existing = m_areaNames.find(areaPath, members[i]);
        failure = existing.found ? platform::Failure::fromErrno(EEXIST) : existing.failure;
        target = unit[i].target;
    }
    if (!failure) {
        // Holds the runner to its promise to return only once the journal is ours again.
        std::atomic<bool> writing = false;
        qsizetype failedMember = 0;
        failure = m_run(name, [&](const TransferProgress &progress) {
            writing = true;
            platform::MaybeFailure done = m_journal.transfer(unit, m_request.how, progress, &failedMember);
            writing = false;
            return done;
        });
        Q_ASSERT_X(!writing, "SortCommand", "the runner returned while the journal was being written");
        target = unit[failedMember].target;
    }
    if (failure && failure->kind == platform::FailureKind::Cancelled)
        return false;
    if (failure) {
        m_report(m_result.failed.emplace_back(SortFailure{name, target, *failure}));
        // Cancelled, but some of the unit could not come back: that is told, and the sort stops.
        return failure->systemError != ECANCELED;
    }
    for (const QString &member : members)
        m_areaNames.add(areaPath, member);
    (m_request.how == Transfer::Copy ? m_result.copied : m_result.moved).append(name);
    return true;
}

} // namespace fileops

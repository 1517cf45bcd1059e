// Taking steps back and forth: what undo and redo do to each file, and when they refuse.
#include "fileops/UndoJournal.h"

#include "fileops/JournalRecovery.h"
#include "platform/FileNames.h"
#include "platform/RawFiles.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace fileops {

namespace {

using platform::decodeFileName;
namespace format = journalformat;

QString nameOf(const QByteArray &path)
{
    return decodeFileName(platform::nameOf(path));
}

QString reasonOf(const platform::Failure &failure, const QString &taken)
{
    return failure.kind == platform::FailureKind::FileAlreadyExists ? taken : failure.text();
}

platform::MaybeFailure runTransfer(const TransferRunner &run, const QByteArray &name, const TransferWork &work)
{
    return run ? run(nameOf(name), work) : work({});
}

bool isCancel(const platform::MaybeFailure &failure)
{
    return failure && failure->kind == platform::FailureKind::Cancelled;
}

const QString kChanged = QStringLiteral("it was changed or removed since");
const QString kOldPlaceTaken = QStringLiteral("its old place is taken");
const QString kNewPlaceTaken = QStringLiteral("its new place is taken");

} // namespace

QString UndoJournal::describe(const JournalStep &step)
{
    const QString what = step.files.size() == 1 ? nameOf(step.files.first().source)
                                                 : QStringLiteral("%1 files").arg(step.files.size());
    switch (step.kind) {
    case StepKind::Move: return QStringLiteral("move of %1 to %2").arg(what, step.area);
    case StepKind::Copy: return QStringLiteral("copy of %1 to %2").arg(what, step.area);
    case StepKind::Trash: return QStringLiteral("delete of %1").arg(what);
    case StepKind::Rename: return QStringLiteral("rename of %1").arg(what);
    }
    return what;
}

QString UndoJournal::undoText() const
{
    return canUndo() ? QStringLiteral("Undo ") + describe(m_stacks.done.last()) : QStringLiteral("Undo");
}

QString UndoJournal::redoText() const
{
    return canRedo() ? QStringLiteral("Redo ") + describe(m_stacks.undone.last()) : QStringLiteral("Redo");
}

std::optional<QString> UndoJournal::obstacle(const JournalStep &step, qsizetype index, bool back)
{
    const JournalFile &file = step.files.at(index);
    if (!isFileAt(back ? file.target : file.source, file.identity))
        return kChanged;
    // Without its original the copy is the only one left: it stays.
    if (back && step.kind == StepKind::Copy)
        return identityOf(file.source) ? std::nullopt : std::optional(QStringLiteral("its original is gone"));
    if (!back && step.kind == StepKind::Trash)
        return std::nullopt; // the trash chooses a free name
    // The file itself under another letter case, on a file system that ignores case, is no other file.
    const std::optional<FileIdentity> there = identityOf(back ? file.source : file.target);
    if (there && (there->device != file.identity.device || there->inode != file.identity.inode))
        return back ? kOldPlaceTaken : kNewPlaceTaken;
    return std::nullopt;
}

// A refusal says why; a transfer the user cancelled leaves the file where it was, and no reason.
std::optional<QString> UndoJournal::undoFile(JournalStep &step, qsizetype index, const TransferRunner &run)
{
    if (std::optional<QString> refusal = obstacle(step, index, true))
        return refusal;
    JournalFile &file = step.files[index];
    switch (step.kind) {
    case StepKind::Move: {
        const TransferWork work = [&, recorder = recorderFor(step, index)](const TransferProgress &progress) {
            return transferFile(decodeFileName(file.target), decodeFileName(file.source), Transfer::Move, progress,
                                recorder);
        };
        if (const platform::MaybeFailure failure = runTransfer(run, file.source, work))
            return isCancel(failure) ? std::nullopt : std::optional(reasonOf(*failure, kOldPlaceTaken));
        break;
    }
    case StepKind::Rename:
        if (const platform::MaybeFailure failure =
                renameFile(decodeFileName(file.target), decodeFileName(file.source), recorderFor(step, index)))
            return reasonOf(*failure, kOldPlaceTaken);
        break;
    case StepKind::Copy: {
        // The original is the file the copy was read from, also through a symbolic link, and
        // still holds its bytes: a sync tool may rewrite a file and keep its size and time.
        // Comparing a large file takes a while, so it runs as a transfer does.
        bool same = false;
        const TransferWork work = [&](const TransferProgress &) -> platform::MaybeFailure {
            // Both are looked at again after the comparison, which may take a while.
            same = identityOf(file.source, true) == file.original && sameContents(file.source, file.target) &&
                   isFileAt(file.target, file.identity) && identityOf(file.source, true) == file.original;
            if (same && ::unlink(file.target.constData()) != 0)
                return platform::Failure::fromErrno(errno);
            return std::nullopt;
        };
        if (const platform::MaybeFailure failure = runTransfer(run, file.source, work))
            return isCancel(failure) ? std::nullopt : std::optional(failure->text());
        if (!same)
            return QStringLiteral("its original was changed or replaced since");
        break;
    }
    case StepKind::Trash:
        if (platform::renameNoReplace(file.target, file.source) != 0)
            return reasonOf(platform::Failure::fromErrno(errno), kOldPlaceTaken);
        ::unlink(file.trashInfo.constData());
        break;
    }
    file.atTarget = false;
    file.identity = identityOf(file.source).value_or(FileIdentity{});
    return std::nullopt;
}

std::optional<QString> UndoJournal::redoFile(JournalStep &step, qsizetype index, const TransferRunner &run)
{
    if (std::optional<QString> refusal = obstacle(step, index, false))
        return refusal;
    JournalFile &file = step.files[index];
    platform::MaybeFailure failure;
    switch (step.kind) {
    case StepKind::Move:
    case StepKind::Copy: {
        const Transfer how = step.kind == StepKind::Move ? Transfer::Move : Transfer::Copy;
        const TransferWork work = [&, recorder = recorderFor(step, index)](const TransferProgress &progress) {
            return transferFile(decodeFileName(file.source), decodeFileName(file.target), how, progress, recorder);
        };
        failure = runTransfer(run, file.source, work);
        if (isCancel(failure))
            return std::nullopt;
        break;
    }
    case StepKind::Rename:
        failure = renameFile(decodeFileName(file.source), decodeFileName(file.target), recorderFor(step, index));
        break;
    case StepKind::Trash: {
        const platform::TrashResult result = platform::moveToTrash(file.source, trashClaim(step, index));
        failure = result.failure;
        if (!failure) {
            file.target = result.trashed.file;
            file.trashInfo = result.trashed.info;
        }
        break;
    }
    }
    if (failure)
        return reasonOf(*failure, kNewPlaceTaken);
    file.atTarget = true;
    file.identity = identityOf(file.target).value_or(FileIdentity{});
    return std::nullopt;
}

std::optional<QString> UndoJournal::takeFile(JournalStep &step, qsizetype index, bool back, const TransferRunner &run)
{
    append(format::goLine(step.id, index));
    step.files[index].temporaries.clear();
    const std::optional<QString> refusal = back ? undoFile(step, index, run) : redoFile(step, index, run);
    if (!isUnderTemporaryName(step.files.at(index)))
        recordPlace(step, index);
    return refusal;
}

bool UndoJournal::takeUnit(JournalStep &step, qsizetype first, qsizetype end, bool back, const TransferRunner &run,
                           UndoResult &result)
{
    QList<qsizetype> due;
    for (qsizetype i = first; i < end; ++i) {
        if (step.files.at(i).atTarget == back)
            due.append(i);
    }
    const auto name = [&](qsizetype i) { return nameOf(step.files.at(i).source); };
    // Every file is looked at before the first goes: one that has to stay keeps the others with it.
    QList<std::optional<QString>> obstacles;
    for (qsizetype i : due)
        obstacles.append(obstacle(step, i, back));
    const qsizetype blocked = std::ranges::find_if(obstacles, [](const auto &why) { return why.has_value(); }) -
                              obstacles.begin();
    if (blocked < due.size()) {
        for (qsizetype k = 0; k < due.size(); ++k)
            result.refusals << name(due[k]) + QStringLiteral(": ") +
                                   obstacles[k].value_or(QStringLiteral("it goes with ") + name(due[blocked]));
        return false;
    }
    // A crash in the midst is mended at the next start.
    const bool marked = due.size() > 1;
    if (marked) {
        step.taking = JournalStep::Taking{first, end, back};
        append(format::takeLine(step.id, *step.taking));
    }
    const auto arrived = [&] {
        if (marked) {
            append(format::wholeLine(step.id));
            step.taking.reset();
        }
    };
    for (qsizetype k = 0; k < due.size(); ++k) {
        const std::optional<QString> refusal = takeFile(step, due[k], back, run);
        if (!refusal && step.files.at(due[k]).atTarget != back)
            continue;
        if (refusal)
            result.refusals << name(due[k]) + QStringLiteral(": ") + *refusal;
        else
            result.cancelled = true; // stopped by the user: the files not yet taken stay where they are
        // Those of the unit already taken go the other way again, so that it is not split.
        for (qsizetype j = k - 1; j >= 0; --j) {
            const std::optional<QString> stuck = takeFile(step, due[j], !back, {});
            if (stuck || step.files.at(due[j]).atTarget != back)
                result.refusals << name(due[j]) + QStringLiteral(": it went without the others: ") +
                                       stuck.value_or(QStringLiteral("it could not follow them"));
        }
        arrived();
        return false;
    }
    arrived();
    for (qsizetype i : due)
        result.restored << decodeFileName(back ? step.files.at(i).source : step.files.at(i).target);
    return true;
}

UndoResult UndoJournal::undo(const TransferRunner &run)
{
    return takeStep(true, run);
}

UndoResult UndoJournal::redo(const TransferRunner &run)
{
    return takeStep(false, run);
}

UndoResult UndoJournal::takeStep(bool back, const TransferRunner &run)
{
    UndoResult result;
    QList<JournalStep> &from = back ? m_stacks.done : m_stacks.undone;
    if (from.isEmpty())
        return result;
    JournalStep &step = from.last();
    bool all = true;
    for (qsizetype first = 0; first < step.files.size() && !result.cancelled;) {
        const qsizetype end = step.unitEnd(first);
        all = takeUnit(step, first, end, back, run, result) && all;
        first = end;
    }
    // A step only partly taken back stays where it is, to be finished later.
    if (all) {
        append(format::stackLine(back ? format::Stack::Undone : format::Stack::Redone, step.id));
        (back ? m_stacks.undone : m_stacks.done).append(from.takeLast());
    }
    return result;
}

} // namespace fileops

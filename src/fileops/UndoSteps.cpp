// Taking steps back and forth: what undo and redo do to each file, and when they refuse.
#include "fileops/UndoJournal.h"

#include "fileops/JournalRecovery.h"
#include "platform/FileNames.h"
#include "platform/RawFiles.h"

#include <cerrno>
#include <unistd.h>

namespace fileops {

namespace {

using platform::decodeFileName;
namespace format = journalformat;

QString nameOf(const QByteArray &path)
{
    return decodeFileName(path.mid(path.lastIndexOf('/') + 1));
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

// A refusal says why; a transfer the user cancelled leaves the file where it was, and no reason.
std::optional<QString> UndoJournal::undoFile(JournalStep &step, qsizetype index, const TransferRunner &run)
{
    JournalFile &file = step.files[index];
    if (!isFileAt(file.target, file.identity))
        return kChanged;
    const QString taken = QStringLiteral("its old place is taken");
    switch (step.kind) {
    case StepKind::Move: {
        const TransferWork work = [&, recorder = recorderFor(step, index)](const TransferProgress &progress) {
            return transferFile(decodeFileName(file.target), decodeFileName(file.source), Transfer::Move, progress,
                                recorder);
        };
        if (const platform::MaybeFailure failure = runTransfer(run, file.source, work))
            return isCancel(failure) ? std::nullopt : std::optional(reasonOf(*failure, taken));
        break;
    }
    case StepKind::Rename:
        if (const platform::MaybeFailure failure =
                renameFile(decodeFileName(file.target), decodeFileName(file.source), recorderFor(step, index)))
            return reasonOf(*failure, taken);
        break;
    case StepKind::Copy: {
        // Without its original the copy is the only one left: it stays.
        if (!identityOf(file.source))
            return QStringLiteral("its original is gone");
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
            return failure->text();
        if (!same)
            return QStringLiteral("its original was changed or replaced since");
        break;
    }
    case StepKind::Trash:
        if (platform::renameNoReplace(file.target, file.source) != 0)
            return reasonOf(platform::Failure::fromErrno(errno), taken);
        ::unlink(file.trashInfo.constData());
        break;
    }
    file.atTarget = false;
    file.identity = identityOf(file.source).value_or(FileIdentity{});
    return std::nullopt;
}

std::optional<QString> UndoJournal::redoFile(JournalStep &step, qsizetype index, const TransferRunner &run)
{
    JournalFile &file = step.files[index];
    if (!isFileAt(file.source, file.identity))
        return kChanged;
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
        return reasonOf(*failure, QStringLiteral("its new place is taken"));
    file.atTarget = true;
    file.identity = identityOf(file.target).value_or(FileIdentity{});
    return std::nullopt;
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
    for (qsizetype i = 0; i < step.files.size(); ++i) {
        JournalFile &file = step.files[i];
        if (file.atTarget != back)
            continue;
        append(format::goLine(step.id, i));
        file.temporaries.clear();
        const std::optional<QString> refusal = back ? undoFile(step, i, run) : redoFile(step, i, run);
        if (!isUnderTemporaryName(file))
            recordPlace(step, i);
        if (refusal) {
            result.refusals << nameOf(file.source) + QStringLiteral(": ") + *refusal;
            all = false;
        } else if (file.atTarget == back) {
            result.cancelled = true; // stopped by the user: this file and the rest stay
            all = false;
            break;
        } else {
            result.restored << decodeFileName(back ? file.source : file.target);
        }
    }
    // A step only partly taken back stays where it is, to be finished later.
    if (all) {
        append(format::stackLine(back ? format::Stack::Undone : format::Stack::Redone, step.id));
        (back ? m_stacks.undone : m_stacks.done).append(from.takeLast());
    }
    return result;
}

} // namespace fileops

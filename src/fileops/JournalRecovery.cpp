#include "fileops/JournalRecovery.h"

#include "platform/RawFiles.h"

#include <algorithm>
#include <functional>
#include <unistd.h>

namespace fileops {

namespace {

// Settles one file's operation; false when it never happened and the file leaves the step.
bool settleFile(StepKind kind, JournalFile &file)
{
    file.pending = false;
    const QByteArray origin = file.atTarget ? file.target : file.source;
    const QByteArray destination = file.atTarget ? file.source : file.target;
    const FileIdentity was = file.identity; // where it was taken from
    for (const QByteArray &temporary : std::as_const(file.temporaries)) {
        if (!identityOf(temporary))
            continue;
        if (isFileAt(temporary, was)) {
            // A letter-case rename stopped half way: the file goes back to its name.
            if (platform::renameNoReplace(temporary, origin) != 0)
                platform::renameNoReplace(temporary, destination);
        } else if (isPrefixOf(temporary, origin)) {
            ::unlink(temporary.constData()); // part of a copy whose source is still whole
        }
    }
    file.temporaries.clear();
    bool arrived = false;
    switch (kind) {
    case StepKind::Copy:
        // Forward, our copy is there; backward, it is gone.
        arrived = file.atTarget ? !isFileAt(file.target, was) : isFileAt(file.target, file.placed);
        break;
    case StepKind::Trash:
        if (!file.atTarget) {
            // Gone into the trash under a name we never learnt: it cannot be put back.
            if (!isFileAt(file.source, was))
                return false;
        } else if (isFileAt(file.source, was)) {
            arrived = true;
            if (isFileAt(file.target, was))
                ::unlink(file.target.constData()); // a second link to the same file
            ::unlink(file.trashInfo.constData());
        }
        break;
    case StepKind::Move:
    case StepKind::Rename:
        // A rename keeps the file itself; across file systems our copy was recorded.
        arrived = isFileAt(destination, was) || isFileAt(destination, file.placed);
        // The origin is still there when a move to another file system stopped before deleting
        // it: it goes only while it holds exactly the bytes that arrived.
        if (arrived && isFileAt(origin, was) && sameContents(origin, destination))
            ::unlink(origin.constData());
        break;
    }
    file.placed = {};
    if (!arrived)
        return file.atTarget || file.placeKnown; // a file that never left its place was never sorted
    if (kind == StepKind::Copy && !file.atTarget)
        file.original = was;
    file.atTarget = !file.atTarget;
    file.placeKnown = true;
    file.identity = kind == StepKind::Copy && !file.atTarget
                        ? file.original
                        : identityOf(file.atTarget ? file.target : file.source).value_or(FileIdentity{});
    return true;
}

// An undo or redo that a crash stopped after its last file still counts, and a step undone
// before a newer command can no longer be redone.
void restack(JournalStacks &stacks)
{
    const auto allAt = [](const JournalStep &step, bool target) {
        return std::ranges::all_of(step.files, [&](const JournalFile &file) { return file.atTarget == target; });
    };
    for (qsizetype i = 0; i < stacks.undone.size();) {
        if (allAt(stacks.undone[i], true))
            stacks.done.append(stacks.undone.takeAt(i));
        else
            ++i;
    }
    for (qsizetype i = stacks.done.size() - 1; i >= 0; --i) {
        if (allAt(stacks.done[i], false))
            stacks.undone.append(stacks.done.takeAt(i));
    }
    std::ranges::sort(stacks.done, {}, &JournalStep::id);
    std::ranges::sort(stacks.undone, std::greater{}, &JournalStep::id);
    const qint64 newestDone = stacks.done.isEmpty() ? 0 : stacks.done.last().id;
    stacks.undone.removeIf([&](const JournalStep &step) { return step.id < newestDone; });
}

} // namespace

bool settleInterrupted(JournalStacks &stacks)
{
    bool settled = false;
    for (QList<JournalStep> *list : {&stacks.done, &stacks.undone}) {
        for (JournalStep &step : *list) {
            for (qsizetype i = step.files.size() - 1; i >= 0; --i) {
                if (!step.files[i].pending)
                    continue;
                settled = true;
                if (!settleFile(step.kind, step.files[i]))
                    step.files.removeAt(i);
            }
        }
        list->removeIf([](const JournalStep &step) { return step.files.isEmpty(); });
    }
    const QList<JournalStep> done = stacks.done;
    const QList<JournalStep> undone = stacks.undone;
    restack(stacks);
    return settled || stacks.done != done || stacks.undone != undone;
}

} // namespace fileops

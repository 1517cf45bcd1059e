#include "fileops/JournalRecovery.h"

#include "platform/RawFiles.h"

#include <algorithm>
#include <functional>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

namespace {

// Whether the folder lists exactly this name, not only one that equals it in another letter case.
bool isListed(const QByteArray &path)
{
    const QByteArray name = platform::nameOf(path);
    DIR *folder = ::opendir(platform::folderOf(path).constData());
    bool found = false;
    while (folder && !found) {
        const dirent *entry = ::readdir(folder);
        if (!entry)
            break;
        found = name == entry->d_name;
    }
    if (folder)
        ::closedir(folder);
    return found;
}

// Whether a and b are two links to one file, each of which may go: not one entry reached by
// two names, as on a file system that ignores letter case.
bool areTwoLinks(const QByteArray &a, const QByteArray &b)
{
    struct stat first {};
    struct stat second {};
    return ::lstat(a.constData(), &first) == 0 && ::lstat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino && first.st_nlink >= 2 &&
           isListed(a) && isListed(b);
}

// Whether the origin of a move may go: its bytes arrived whole, in another file or as another
// link to the same one.
bool originMayGo(const QByteArray &origin, const QByteArray &destination, const FileIdentity &was)
{
    const std::optional<FileIdentity> arrived = identityOf(destination);
    if (arrived && arrived->device == was.device && arrived->inode == was.inode)
        return areTwoLinks(origin, destination);
    // Another program's file of the same bytes under the name is not ours. Comparing a large file
    // takes a while: the origin is looked at after it.
    return sameContents(origin, destination) && isFileAt(origin, was);
}

// Temporary files of ours that a crash left: a copy under way goes while its source still has
// its bytes or when it is incomplete; a complete one whose source changed takes the name it was
// made for, or one beside it. A file on its way to another letter case goes back.
void settleTemporaries(StepKind kind, JournalFile &file, const QByteArray &origin, const QByteArray &destination)
{
    for (const QByteArray &temporary : std::as_const(file.temporaries)) {
        const std::optional<FileIdentity> found = identityOf(temporary);
        if (!found)
            continue;
        if (kind != StepKind::Rename) {
            // A part of a copy was never a picture: it must not stand under one's name.
            if (isPrefixOf(temporary, origin) || found->size != file.identity.size)
                ::unlink(temporary.constData());
            else
                platform::renameToFreeName(temporary, destination);
        } else if (found->size == 0 && identityOf(origin)) {
            ::unlink(temporary.constData()); // the name claimed for the rename, still empty
        } else if (platform::renameNoReplace(temporary, origin) != 0) {
            platform::renameToFreeName(temporary, destination);
        }
    }
}

// Settles one file's operation; false when it never happened and the file leaves the step.
bool settleFile(StepKind kind, JournalFile &file)
{
    file.pending = false;
    const QByteArray origin = file.atTarget ? file.target : file.source;
    const QByteArray destination = file.atTarget ? file.source : file.target;
    const FileIdentity was = file.identity; // where it was taken from
    if (kind == StepKind::Trash && !file.atTarget && file.temporaries.size() == 2) {
        // The entry in the trash is ours; it stays only with the file it was made for.
        if (isFileAt(file.temporaries[0], was)) {
            file.target = file.temporaries[0];
            file.trashInfo = file.temporaries[1];
        } else if (!identityOf(file.temporaries[0])) {
            ::unlink(file.temporaries[1].constData());
        }
    } else {
        settleTemporaries(kind, file, origin, destination);
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
            arrived = isFileAt(file.target, was);
            // Gone elsewhere, or into the trash under a name we never learnt: it cannot be put back.
            if (!arrived && !isFileAt(file.source, was))
                return false;
        } else if (isFileAt(file.source, was)) {
            arrived = true;
            if (areTwoLinks(file.target, file.source))
                ::unlink(file.target.constData());
            // The entry is ours only while its file is gone: a later delete may use the name.
            if (!identityOf(file.target))
                ::unlink(file.trashInfo.constData());
        }
        break;
    case StepKind::Move:
    case StepKind::Rename:
        // A rename keeps the file itself; across file systems our copy was recorded.
        arrived = isFileAt(destination, was) || isFileAt(destination, file.placed);
        // The origin is still there when a move to another file system stopped before deleting it.
        if (arrived && originMayGo(origin, destination, was))
            ::unlink(origin.constData());
        break;
    }
    file.placed = {};
    if (!arrived)
        return file.atTarget || file.placeKnown; // a file that never left its place was never sorted
    if (kind == StepKind::Copy && !file.atTarget && !file.original.known())
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

bool settleInterrupted(JournalStacks &stacks, const std::function<void(JournalStep &)> &settleUnit)
{
    bool settled = false;
    for (QList<JournalStep> *list : {&stacks.done, &stacks.undone}) {
        for (JournalStep &step : *list) {
            for (qsizetype i = step.files.size() - 1; i >= 0; --i) {
                if (!step.files[i].pending)
                    continue;
                settled = true;
                if (!settleFile(step.kind, step.files[i]))
                    step.removeFile(i);
            }
            // Before the step is put on its stack: a unit all back at its sources is no undone step.
            if (step.openUnit >= 0 || step.taking) {
                settleUnit(step);
                settled = true;
            }
        }
        list->removeIf([](const JournalStep &step) { return step.files.isEmpty(); });
    }
    const QList<JournalStep> done = stacks.done;
    const QList<JournalStep> undone = stacks.undone;
    restack(stacks);
    return settled || stacks.done != done || stacks.undone != undone;
}

bool isUnderTemporaryName(const JournalFile &file)
{
    return std::ranges::any_of(file.temporaries, [](const QByteArray &path) { return identityOf(path).has_value(); });
}

} // namespace fileops

#include "fileops/UndoJournal.h"

#include "fileops/JournalRecovery.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/RawFiles.h"
#include "platform/TextFile.h"
#include "platform/Trash.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

namespace {

using platform::decodeFileName;
using platform::encodeFileName;
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

// A rename that could neither finish nor go back leaves the file under our temporary name.
bool isUnderTemporaryName(const JournalFile &file)
{
    return std::ranges::any_of(file.temporaries, [](const QByteArray &path) { return identityOf(path).has_value(); });
}

} // namespace

UndoJournal::UndoJournal(QString path)
    : m_path(std::move(path))
{
}

UndoJournal::~UndoJournal()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

bool UndoJournal::lock()
{
    // Two programs on one journal would each settle the other's work under way as a crash.
    m_lock = ::open(QFile::encodeName(m_path + QStringLiteral(".lock")).constData(),
                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lock >= 0 && ::flock(m_lock, LOCK_EX | LOCK_NB) == 0)
        return true;
    m_unusable = true;
    m_writeFailure = platform::Failure::system(EBUSY, QStringLiteral("another Shelfmaster is using it"));
    return false;
}

std::optional<QString> UndoJournal::load()
{
    m_stacks = {};
    if (!lock())
        return std::nullopt;
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? std::nullopt : setAside(); // no journal yet, or a link
    // The journal is read and cut through the descriptor checked, not by its name again.
    const auto finish = [fd](auto result) {
        ::close(fd);
        return result;
    };
    // Anybody who could write the journal could make the next start move or delete any file.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)))
        return finish(setAside());
    // It lists the user's paths: nobody else reads it.
    if (info.st_mode & 077)
        ::fchmod(fd, info.st_mode & 0700);
    QByteArray content;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return finish(setAside());
    content = file.readAll();
    file.close();
    // A line without its end was being written when the program stopped: it never happened,
    // and goes, so that the next line does not join it.
    const qsizetype whole = content.lastIndexOf('\n') + 1;
    if (whole < content.size() && ::ftruncate(fd, whole) != 0)
        return finish(setAside());
    QList<QByteArray> lines = content.left(whole).split('\n');
    lines.removeLast();
    if (lines.isEmpty())
        return finish(std::optional<QString>()); // made, but stopped before its first line was whole
    std::optional<JournalStacks> stacks =
        lines.first() == format::kHeader ? format::parse(lines.mid(1)) : std::nullopt;
    if (!stacks)
        return finish(setAside());
    ::close(fd);
    m_stacks = std::move(*stacks);
    const qsizetype steps = m_stacks.done.size() + m_stacks.undone.size();
    if (settleInterrupted(m_stacks) || steps > kMaxSteps) {
        trim();
        rewrite();
    }
    return std::nullopt;
}

std::optional<QString> UndoJournal::setAside()
{
    m_stacks = {};
    const QString aside = m_path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) == 0)
        return aside;
    // Left where it is, it is never written again; undo covers nothing of this session.
    m_unusable = true;
    m_writeFailure = platform::Failure::fromErrno(errno);
    return std::nullopt;
}

bool UndoJournal::append(const QByteArray &line)
{
    if (m_unusable)
        return false;
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    bool written = fd >= 0;
    if (written) {
        // An empty journal (new, or left so by a stop before its first line) starts with its header.
        struct stat info {};
        const bool fresh = ::fstat(fd, &info) == 0 && info.st_size == 0;
        const QByteArray bytes = (fresh ? format::kHeader + '\n' : QByteArray()) + line + '\n';
        written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    if (!written && !m_writeFailure)
        m_writeFailure = platform::Failure::fromErrno(errno);
    return written;
}

void UndoJournal::rewrite()
{
    if (m_unusable)
        return;
    m_stacks.stepLines = int(m_stacks.done.size() + m_stacks.undone.size());
    const QByteArray bytes = format::serialise(m_stacks.done, m_stacks.undone);
    if (const platform::MaybeFailure failure = platform::replaceFileAtomically(m_path, bytes); failure && !m_writeFailure)
        m_writeFailure = failure;
}

void UndoJournal::recordPlace(const JournalStep &step, qsizetype index)
{
    append(format::placeLine(step.id, index, step.files.at(index)));
}

TransferRecorder UndoJournal::recorderFor(JournalStep &step, qsizetype index)
{
    const qint64 id = step.id;
    JournalFile *file = &step.files[index]; // stays where it is while its operation runs
    return {[this, id, index, file](const QByteArray &path) {
                file->temporaries.append(path);
                return append(format::temporaryLine(id, index, path));
            },
            [this, id, index, file, copy = step.kind == StepKind::Copy](const FileIdentity &placed,
                                                                         const FileIdentity &source) {
                if (copy)
                    file->original = source;
                append(format::placedLine(id, index, placed, source));
            }};
}

std::function<void(const platform::TrashedFile &)> UndoJournal::trashClaim(const JournalStep &step, qsizetype index)
{
    return [this, id = step.id, index](const platform::TrashedFile &trashed) {
        append(format::trashLine(id, index, trashed.file, trashed.info));
    };
}

void UndoJournal::forgetRedo()
{
    // A step whose redo stopped half way keeps the files it put in place, to be undone.
    for (qsizetype i = m_stacks.undone.size() - 1; i >= 0; --i) {
        JournalStep step = m_stacks.undone.takeAt(i);
        if (std::ranges::any_of(step.files, &JournalFile::atTarget)) {
            append(format::stackLine(format::Stack::Redone, step.id));
            m_stacks.done.append(std::move(step));
        } else {
            append(format::stackLine(format::Stack::Forget, step.id));
        }
    }
}

void UndoJournal::trim()
{
    while (m_stacks.done.size() + m_stacks.undone.size() > kMaxSteps)
        (m_stacks.done.isEmpty() ? m_stacks.undone : m_stacks.done).removeFirst();
}

void UndoJournal::beginStep(StepKind kind, const QString &area)
{
    m_open = JournalStep{m_stacks.nextId++, kind, area, {}};
    m_openWritten = false;
}

JournalStep *UndoJournal::current()
{
    if (!m_open)
        return nullptr;
    if (!m_openWritten) {
        m_openWritten = true;
        append(format::stepLine(*m_open));
        ++m_stacks.stepLines;
    }
    return &*m_open;
}

void UndoJournal::endStep()
{
    if (m_open && !m_open->files.isEmpty()) {
        m_stacks.done.append(std::move(*m_open));
        trim();
        if (m_stacks.stepLines > kMaxSteps + kMaxSteps / 10)
            rewrite();
    }
    m_open.reset();
}

qsizetype UndoJournal::want(JournalStep &step, const QByteArray &source, const QByteArray &target)
{
    JournalFile file;
    file.source = source;
    file.target = target;
    file.identity = identityOf(source).value_or(FileIdentity{});
    append(format::wantLine(step.id, file));
    step.files.append(file);
    return step.files.size() - 1;
}

void UndoJournal::settleWanted(JournalStep &step, const platform::MaybeFailure &failure)
{
    const qsizetype index = step.files.size() - 1;
    // A file still under a temporary name of ours is left to the next start to put back.
    if (failure && isUnderTemporaryName(step.files.last()))
        return;
    if (failure) {
        append(format::dropLine(step.id, index));
        step.files.removeLast();
        return;
    }
    JournalFile &file = step.files.last();
    file.atTarget = true;
    file.pending = false;
    file.placeKnown = true;
    file.identity = identityOf(file.target).value_or(FileIdentity{});
    file.placed = {};
    file.temporaries.clear();
    recordPlace(step, index);
    forgetRedo();
}

platform::MaybeFailure UndoJournal::transfer(const QString &source, const QString &target, Transfer how,
                                             const TransferProgress &progress)
{
    JournalStep *step = current();
    if (!step)
        return transferFile(source, target, how, progress);
    const qsizetype index = want(*step, encodeFileName(source), encodeFileName(target));
    const platform::MaybeFailure failure = transferFile(source, target, how, progress, recorderFor(*step, index));
    settleWanted(*step, failure);
    return failure;
}

platform::MaybeFailure UndoJournal::rename(const QString &from, const QString &to)
{
    beginStep(StepKind::Rename);
    JournalStep &step = *current();
    const qsizetype index = want(step, encodeFileName(from), encodeFileName(to));
    const platform::MaybeFailure failure = renameFile(from, to, recorderFor(step, index));
    settleWanted(step, failure);
    endStep();
    return failure;
}

platform::MaybeFailure UndoJournal::trash(const QString &path)
{
    beginStep(StepKind::Trash);
    JournalStep &step = *current();
    const qsizetype index = want(step, encodeFileName(path), {});
    const platform::TrashResult result = platform::moveToTrash(step.files.last().source, trashClaim(step, index));
    if (!result.failure) {
        step.files.last().target = result.trashed.file;
        step.files.last().trashInfo = result.trashed.info;
    }
    settleWanted(step, result.failure);
    endStep();
    return result.failure;
}

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

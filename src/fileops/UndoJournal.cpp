#include "fileops/UndoJournal.h"

#include "fileops/JournalRecovery.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/RawFiles.h"
#include "platform/TextFile.h"
#include "platform/Trash.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fileops {

namespace {

using platform::decodeFileName;
using platform::encodeFileName;
namespace format = journalformat;

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
    // A unit a crash cut in two comes back whole, as one that failed half-way does.
    const bool settled = settleInterrupted(m_stacks, [this](JournalStep &step) { mendUnit(step); });
    if (settled || steps > kMaxSteps) {
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
    step.addFile(file);
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
        step.removeFile(index);
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
}

platform::MaybeFailure UndoJournal::actOnUnit(const QList<UnitMember> &unit,
                                              const std::function<platform::MaybeFailure(JournalFile &, qsizetype)> &act,
                                              qsizetype *failedMember)
{
    JournalStep *step = current();
    const qsizetype first = step->files.size();
    // A unit of several files is marked, so that after a crash in its midst it comes back whole.
    if (unit.size() > 1) {
        append(format::unitLine(step->id, first));
        step->openUnit = first;
    }
    platform::MaybeFailure failure;
    for (qsizetype member = 0; member < unit.size() && !failure; ++member) {
        // A file whose name does not change (an editors' file when only the picture's ending
        // does) is left as it is: the journal has no operation onto a file's own name.
        if (unit[member].source == unit[member].target)
            continue;
        const qsizetype index =
            want(*step, encodeFileName(unit[member].source), encodeFileName(unit[member].target));
        failure = act(step->files[index], index);
        settleWanted(*step, failure);
        if (failure && failedMember)
            *failedMember = member;
    }
    if (failure) {
        // The files that could not come back are the user's to know of: "IMG_1.JPG stayed in /area".
        QStringList stayed;
        for (const QString &path : retract(*step, first))
            stayed << QFileInfo(path).fileName() + QStringLiteral(" stayed in ") + QFileInfo(path).path();
        if (!stayed.isEmpty())
            failure = platform::Failure::system(failure->systemError,
                                                failure->description + QStringLiteral(": ") + stayed.join(QStringLiteral(", ")));
    } else if (step->openUnit >= 0) {
        append(format::wholeLine(step->id));
        step->openUnit = -1;
    }
    // What was undone can be redone until a file of this unit is in its new place: arrived
    // whole, or unable to come back.
    if (std::ranges::any_of(step->files.cbegin() + first, step->files.cend(), &JournalFile::atTarget))
        forgetRedo();
    return failure;
}

platform::MaybeFailure UndoJournal::transfer(const QList<UnitMember> &unit, Transfer how,
                                             const TransferProgress &progress, qsizetype *failedMember)
{
    Q_ASSERT_X(m_open, "UndoJournal", "a transfer belongs to a step");
    return actOnUnit(
        unit,
        [&](JournalFile &file, qsizetype index) {
            return transferFile(decodeFileName(file.source), decodeFileName(file.target), how, progress,
                                recorderFor(*current(), index));
        },
        failedMember);
}

platform::MaybeFailure UndoJournal::rename(const QList<UnitMember> &unit, qsizetype *failedMember)
{
    beginStep(StepKind::Rename);
    const platform::MaybeFailure failure = actOnUnit(
        unit,
        [&](JournalFile &file, qsizetype index) {
            return renameFile(decodeFileName(file.source), decodeFileName(file.target),
                              recorderFor(*current(), index));
        },
        failedMember);
    endStep();
    return failure;
}

platform::MaybeFailure UndoJournal::trash(const QStringList &unit, qsizetype *failedMember)
{
    beginStep(StepKind::Trash);
    QList<UnitMember> members;
    for (const QString &path : unit)
        members.append({path, {}});
    const platform::MaybeFailure failure = actOnUnit(members, [&](JournalFile &file, qsizetype index) {
        const platform::TrashResult result = platform::moveToTrash(file.source, trashClaim(*current(), index));
        if (!result.failure) {
            file.target = result.trashed.file;
            file.trashInfo = result.trashed.info;
        }
        return result.failure;
    }, failedMember);
    endStep();
    return failure;
}

void UndoJournal::mendUnit(JournalStep &step)
{
    if (step.openUnit >= 0)
        retract(step, step.openUnit);
    // One being undone or redone goes back to where it set out from, unless it got there whole
    // and only the line saying so is missing.
    if (const std::optional<JournalStep::Taking> taking = std::exchange(step.taking, std::nullopt)) {
        const auto files = step.files.mid(taking->first, taking->end - taking->first);
        const bool split = std::ranges::any_of(files, &JournalFile::atTarget) &&
                           !std::ranges::all_of(files, &JournalFile::atTarget);
        for (qsizetype index = taking->end - 1; split && index >= taking->first; --index) {
            if (step.files.at(index).atTarget != taking->fromTarget)
                takeFile(step, index, !taking->fromTarget, {});
        }
        append(format::wholeLine(step.id));
    }
}

QStringList UndoJournal::retract(JournalStep &step, qsizetype from)
{
    QStringList stayed;
    for (qsizetype index = step.files.size() - 1; index >= from; --index) {
        // One still under a temporary name of ours is left to the next start to put back.
        if (!step.files[index].atTarget && isUnderTemporaryName(step.files[index]))
            continue;
        if (step.files[index].atTarget && (takeFile(step, index, true, {}) || step.files[index].atTarget)) {
            stayed.prepend(decodeFileName(step.files[index].target));
            continue;
        }
        append(format::dropLine(step.id, index));
        step.removeFile(index);
    }
    if (step.openUnit >= 0) {
        append(format::wholeLine(step.id));
        step.openUnit = -1;
    }
    return stayed;
}

} // namespace fileops

#include "fileops/UndoJournal.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/RawFiles.h"
#include "platform/TextFile.h"
#include "platform/Trash.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileops {

namespace {

using platform::decodeFileName;
using platform::encodeFileName;

const QByteArray kHeader = "SHELFMASTER-UNDO 1";

QByteArray field(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QByteArrayLiteral("-") : bytes.toPercentEncoding({}, "-");
}

QByteArray unfield(const QByteArray &text)
{
    return text == "-" ? QByteArray() : QByteArray::fromPercentEncoding(text);
}

// Paths the journal acts on are absolute: a relative one would depend on where we started.
std::optional<QByteArray> pathField(const QByteArray &text, bool mayBeEmpty = false)
{
    QByteArray path = unfield(text);
    if (path.startsWith('/') || (mayBeEmpty && path.isEmpty()))
        return path;
    return std::nullopt;
}

QByteArray identityFields(const FileIdentity &identity)
{
    return QByteArray::number(identity.device) + ' ' + QByteArray::number(identity.inode) + ' ' +
           QByteArray::number(identity.size) + ' ' + QByteArray::number(identity.modifiedNs);
}

FileIdentity identityFrom(const QList<QByteArray> &f, qsizetype at)
{
    return {f[at].toULongLong(), f[at + 1].toULongLong(), f[at + 2].toLongLong(), f[at + 3].toLongLong()};
}

const char *kindName(StepKind kind)
{
    switch (kind) {
    case StepKind::Move: return "move";
    case StepKind::Copy: return "copy";
    case StepKind::Trash: return "delete";
    case StepKind::Rename: return "rename";
    }
    return "move";
}

std::optional<StepKind> kindNamed(const QByteArray &name)
{
    for (StepKind kind : {StepKind::Move, StepKind::Copy, StepKind::Trash, StepKind::Rename}) {
        if (name == kindName(kind))
            return kind;
    }
    return std::nullopt;
}

bool exists(const QByteArray &path)
{
    return identityOf(path).has_value();
}

bool isAt(const QByteArray &path, const FileIdentity &identity)
{
    return identity.known() && identityOf(path) == identity;
}

QString nameOf(const QByteArray &path)
{
    return decodeFileName(path.mid(path.lastIndexOf('/') + 1));
}

QString reasonOf(const platform::Failure &failure, const QString &taken)
{
    return failure.number == platform::errors::FileAlreadyExists ? taken : failure.text();
}

platform::MaybeFailure runTransfer(const TransferRunner &run, const QByteArray &name, const TransferWork &work)
{
    return run ? run(nameOf(name), work) : work({});
}

bool isCancel(const platform::MaybeFailure &failure)
{
    return failure && failure->number == ECANCELED;
}

const QString kChanged = QStringLiteral("it was changed or removed since");

} // namespace

UndoJournal::UndoJournal(QString path)
    : m_path(std::move(path))
{
}

std::optional<QString> UndoJournal::load()
{
    m_done.clear();
    m_undone.clear();
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? std::nullopt : setAside(); // no journal yet, or a link
    // Anybody who could write the journal could make the next start move or delete any file.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH))) {
        ::close(fd);
        return setAside();
    }
    // It lists the user's paths: nobody else reads it.
    if (info.st_mode & 077)
        ::fchmod(fd, info.st_mode & 0700);
    ::close(fd);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return setAside();
    const QByteArray content = file.readAll();
    file.close();
    // A line without its end was being written when the program stopped: it never happened,
    // and goes, so that the next line does not join it.
    const qsizetype whole = content.lastIndexOf('\n') + 1;
    if (whole < content.size())
        QFile::resize(m_path, whole);
    QList<QByteArray> lines = content.left(whole).split('\n');
    lines.removeLast();
    if (lines.isEmpty())
        return std::nullopt; // made, but stopped before its first line was whole
    if (lines.first() != kHeader || !replay(lines.mid(1)))
        return setAside();
    settleInterrupted();
    return std::nullopt;
}

std::optional<QString> UndoJournal::setAside()
{
    m_done.clear();
    m_undone.clear();
    const QString aside = m_path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) != 0)
        m_unusable = true;
    return aside;
}

bool UndoJournal::replay(const QList<QByteArray> &lines)
{
    const auto stepWithId = [&](const QByteArray &text) -> JournalStep * {
        bool ok = false;
        const qint64 id = text.toLongLong(&ok);
        for (QList<JournalStep> *list : {&m_done, &m_undone}) {
            for (JournalStep &step : *list) {
                if (ok && step.id == id)
                    return &step;
            }
        }
        return nullptr;
    };
    m_stepsInFile = 0;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.split(' ');
        const QByteArray &what = f.first();
        if (what == "step" && f.size() == 4) {
            const std::optional<StepKind> kind = kindNamed(f[2]);
            bool ok = false;
            const qint64 id = f[1].toLongLong(&ok);
            if (!kind || !ok || stepWithId(f[1]))
                return false;
            m_done.append({id, *kind, QString::fromUtf8(unfield(f[3])), {}});
            m_nextId = std::max(m_nextId, id + 1);
            ++m_stepsInFile;
            continue;
        }
        JournalStep *step = f.size() >= 2 ? stepWithId(f[1]) : nullptr;
        if (!step)
            return false;
        const auto fileAt = [&](const QByteArray &text) -> JournalFile * {
            bool ok = false;
            const int index = text.toInt(&ok);
            return ok && index >= 0 && index < step->files.size() ? &step->files[index] : nullptr;
        };
        JournalFile *file = f.size() >= 3 && what != "want" ? fileAt(f[2]) : nullptr;
        if (what == "want" && (f.size() == 4 || f.size() == 8)) {
            const std::optional<QByteArray> source = pathField(f[2]);
            const std::optional<QByteArray> target = pathField(f[3], step->kind == StepKind::Trash);
            if (!source || !target)
                return false;
            JournalFile wanted;
            wanted.source = *source;
            wanted.target = *target;
            if (f.size() == 8)
                wanted.identity = identityFrom(f, 4);
            step->files.append(wanted);
        } else if (what == "go" && f.size() == 3 && file) {
            file->pending = true;
            file->placed = {};
            file->temporaries.clear();
        } else if (what == "drop" && f.size() == 3 && file) {
            step->files.removeAt(f[2].toInt());
        } else if (what == "temp" && f.size() == 4 && file) {
            const std::optional<QByteArray> temporary = pathField(f[3]);
            if (!temporary)
                return false;
            file->temporaries.append(*temporary);
        } else if (what == "placed" && f.size() == 7 && file) {
            file->placed = identityFrom(f, 3);
        } else if (what == "at" && (f.size() == 10 || f.size() == 14) && file) {
            const std::optional<QByteArray> target = pathField(f[8]);
            const std::optional<QByteArray> info = pathField(f[9], true);
            if ((f[3] != "T" && f[3] != "S") || !target || !info)
                return false;
            file->atTarget = f[3] == "T";
            file->pending = false;
            file->placeKnown = true;
            file->identity = identityFrom(f, 4);
            file->target = *target;
            file->trashInfo = *info;
            file->original = f.size() == 14 ? identityFrom(f, 10) : FileIdentity{};
            file->placed = {};
            file->temporaries.clear();
        } else if ((what == "undone" || what == "redone" || what == "forget") && f.size() == 2) {
            QList<JournalStep> &from = what == "redone" || what == "forget" ? m_undone : m_done;
            const qsizetype at = std::ranges::find(from, step->id, &JournalStep::id) - from.begin();
            if (at >= from.size())
                return false;
            JournalStep moved = from.takeAt(at);
            if (what == "undone")
                m_undone.append(std::move(moved));
            else if (what == "redone")
                m_done.append(std::move(moved));
        } else {
            return false;
        }
    }
    return true;
}

// Settles what a crash interrupted, by what the disk shows. Nothing is removed that is not
// ours, and nothing of ours whose bytes are not also somewhere else.
void UndoJournal::settleInterrupted()
{
    bool settled = false;
    for (QList<JournalStep> *list : {&m_done, &m_undone}) {
        for (JournalStep &step : *list) {
            for (qsizetype i = step.files.size() - 1; i >= 0; --i) {
                JournalFile &file = step.files[i];
                if (!file.pending)
                    continue;
                settled = true;
                file.pending = false;
                const QByteArray origin = file.atTarget ? file.target : file.source;
                const QByteArray destination = file.atTarget ? file.source : file.target;
                const FileIdentity was = file.identity; // where it was taken from
                for (const QByteArray &temporary : std::as_const(file.temporaries)) {
                    if (!exists(temporary))
                        continue;
                    if (isAt(temporary, was)) {
                        // A letter-case rename stopped half way: the file goes back to its name.
                        if (platform::renameNoReplace(temporary, origin) != 0)
                            platform::renameNoReplace(temporary, destination);
                    } else if (isPrefixOf(temporary, origin)) {
                        ::unlink(temporary.constData()); // part of a copy whose source is still whole
                    }
                }
                file.temporaries.clear();
                bool arrived = false;
                switch (step.kind) {
                case StepKind::Copy:
                    // Forward, our copy is there; backward, it is gone.
                    arrived = file.atTarget ? !isAt(file.target, was) : isAt(file.target, file.placed);
                    break;
                case StepKind::Trash:
                    if (!file.atTarget) {
                        // Gone into the trash under a name we never learnt: it cannot be put back.
                        if (!isAt(file.source, was)) {
                            step.files.removeAt(i);
                            continue;
                        }
                    } else if (isAt(file.source, was)) {
                        arrived = true;
                        if (isAt(file.target, was))
                            ::unlink(file.target.constData()); // a second link to the same file
                        ::unlink(file.trashInfo.constData());
                    }
                    break;
                case StepKind::Move:
                case StepKind::Rename:
                    // A rename keeps the file itself; across file systems our copy was recorded.
                    arrived = isAt(destination, was) || isAt(destination, file.placed);
                    // The origin is still there when a move to another file system stopped
                    // before deleting it: it goes only while it holds exactly the bytes that arrived.
                    if (arrived && isAt(origin, was) && sameContents(origin, destination))
                        ::unlink(origin.constData());
                    break;
                }
                if (arrived) {
                    if (step.kind == StepKind::Copy)
                        file.original = file.atTarget ? file.original : was;
                    file.atTarget = !file.atTarget;
                    file.placeKnown = true;
                    file.identity = step.kind == StepKind::Copy && !file.atTarget
                                        ? file.original
                                        : identityOf(file.atTarget ? file.target : file.source).value_or(FileIdentity{});
                } else if (!file.atTarget && !file.placeKnown) {
                    step.files.removeAt(i); // never left its place: the operation did not happen
                    continue;
                }
                file.placed = {};
            }
        }
        list->removeIf([](const JournalStep &step) { return step.files.isEmpty(); });
    }
    const qsizetype before = m_done.size() + m_undone.size();
    restack();
    const bool tooLong = before > kMaxSteps;
    trim();
    if (settled || tooLong || before != m_done.size() + m_undone.size())
        rewrite();
}

// Puts each step where its files are: an undo or redo that a crash stopped after its last file
// was taken still counts, and a step undone before a newer command can no longer be redone.
void UndoJournal::restack()
{
    const auto allAt = [](const JournalStep &step, bool target) {
        return std::ranges::all_of(step.files, [&](const JournalFile &file) { return file.atTarget == target; });
    };
    for (qsizetype i = 0; i < m_undone.size();) {
        if (allAt(m_undone[i], true))
            m_done.append(m_undone.takeAt(i));
        else
            ++i;
    }
    for (qsizetype i = m_done.size() - 1; i >= 0; --i) {
        if (allAt(m_done[i], false))
            m_undone.append(m_done.takeAt(i));
    }
    std::ranges::sort(m_done, {}, &JournalStep::id);
    std::ranges::sort(m_undone, std::greater{}, &JournalStep::id);
    const qint64 newestDone = m_done.isEmpty() ? 0 : m_done.last().id;
    m_undone.removeIf([&](const JournalStep &step) { return step.id < newestDone; });
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
        const QByteArray bytes = (fresh ? kHeader + '\n' : QByteArray()) + line + '\n';
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
    QByteArray bytes = kHeader + '\n';
    m_stepsInFile = 0;
    for (const QList<JournalStep> *list : {&m_done, &m_undone}) {
        for (const JournalStep &step : *list) {
            const QByteArray id = QByteArray::number(step.id);
            bytes += "step " + id + ' ' + kindName(step.kind) + ' ' + field(step.area.toUtf8()) + '\n';
            ++m_stepsInFile;
            for (qsizetype i = 0; i < step.files.size(); ++i) {
                const JournalFile &file = step.files.at(i);
                bytes += "want " + id + ' ' + field(file.source) + ' ' + field(file.target) + '\n';
                bytes += "at " + id + ' ' + QByteArray::number(i) + ' ' + (file.atTarget ? "T " : "S ") +
                         identityFields(file.identity) + ' ' + field(file.target) + ' ' + field(file.trashInfo) +
                         ' ' + identityFields(file.original) + '\n';
            }
        }
    }
    // Undone last first, so that replaying these lines gives the redo order back.
    for (qsizetype i = 0; i < m_undone.size(); ++i)
        bytes += "undone " + QByteArray::number(m_undone.at(i).id) + '\n';
    if (const platform::MaybeFailure failure = platform::replaceFileAtomically(m_path, bytes); failure && !m_writeFailure)
        m_writeFailure = failure;
}

void UndoJournal::recordPlace(const JournalStep &step, qsizetype index)
{
    const JournalFile &file = step.files.at(index);
    append("at " + QByteArray::number(step.id) + ' ' + QByteArray::number(index) + ' ' +
           (file.atTarget ? "T " : "S ") + identityFields(file.identity) + ' ' + field(file.target) + ' ' +
           field(file.trashInfo) + ' ' + identityFields(file.original));
}

TransferRecorder UndoJournal::recorderFor(const JournalStep &step, qsizetype index)
{
    const QByteArray prefix = QByteArray::number(step.id) + ' ' + QByteArray::number(index) + ' ';
    return {[this, prefix](const QByteArray &path) { append("temp " + prefix + field(path)); },
            [this, prefix](const FileIdentity &copy) { append("placed " + prefix + identityFields(copy)); }};
}

void UndoJournal::forgetRedo()
{
    for (const JournalStep &step : std::as_const(m_undone))
        append("forget " + QByteArray::number(step.id));
    m_undone.clear();
}

void UndoJournal::trim()
{
    while (m_done.size() + m_undone.size() > kMaxSteps)
        (m_done.isEmpty() ? m_undone : m_done).removeFirst();
}

void UndoJournal::beginStep(StepKind kind, const QString &area)
{
    m_open = JournalStep{m_nextId++, kind, area, {}};
    m_openWritten = false;
}

JournalStep *UndoJournal::current()
{
    if (!m_open)
        return nullptr;
    if (!m_openWritten) {
        m_openWritten = true;
        append("step " + QByteArray::number(m_open->id) + ' ' + kindName(m_open->kind) + ' ' +
               field(m_open->area.toUtf8()));
        ++m_stepsInFile;
    }
    return &*m_open;
}

void UndoJournal::endStep()
{
    if (m_open && !m_open->files.isEmpty()) {
        m_done.append(std::move(*m_open));
        trim();
        if (m_stepsInFile > kMaxSteps + kMaxSteps / 10)
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
    append("want " + QByteArray::number(step.id) + ' ' + field(source) + ' ' + field(target) + ' ' +
           identityFields(file.identity));
    step.files.append(file);
    return step.files.size() - 1;
}

void UndoJournal::settleWanted(JournalStep &step, const platform::MaybeFailure &failure)
{
    const qsizetype index = step.files.size() - 1;
    if (failure) {
        append("drop " + QByteArray::number(step.id) + ' ' + QByteArray::number(index));
        step.files.removeLast();
        return;
    }
    JournalFile &file = step.files.last();
    if (step.kind == StepKind::Copy)
        file.original = file.identity;
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
    want(step, encodeFileName(path), {});
    const platform::TrashResult result = platform::moveToTrash(step.files.last().source);
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
    return canUndo() ? QStringLiteral("Undo ") + describe(m_done.last()) : QStringLiteral("Undo");
}

QString UndoJournal::redoText() const
{
    return canRedo() ? QStringLiteral("Redo ") + describe(m_undone.last()) : QStringLiteral("Redo");
}

// A refusal says why; a transfer the user cancelled leaves the file where it was, and no reason.
std::optional<QString> UndoJournal::undoFile(JournalStep &step, qsizetype index, const TransferRunner &run)
{
    JournalFile &file = step.files[index];
    if (!isAt(file.target, file.identity))
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
    case StepKind::Copy:
        // Without its original the copy is the only one left: it stays.
        if (!exists(file.source))
            return QStringLiteral("its original is gone");
        if (!isAt(file.source, file.original))
            return QStringLiteral("its original was changed or replaced since");
        if (::unlink(file.target.constData()) != 0)
            return platform::Failure::fromErrno(errno).text();
        break;
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
    if (!isAt(file.source, file.identity))
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
        const platform::TrashResult result = platform::moveToTrash(file.source);
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
    if (step.kind == StepKind::Copy)
        file.original = file.identity;
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
    QList<JournalStep> &from = back ? m_done : m_undone;
    if (from.isEmpty())
        return result;
    JournalStep &step = from.last();
    bool all = true;
    for (qsizetype i = 0; i < step.files.size(); ++i) {
        JournalFile &file = step.files[i];
        if (file.atTarget != back)
            continue;
        append("go " + QByteArray::number(step.id) + ' ' + QByteArray::number(i));
        const std::optional<QString> refusal = back ? undoFile(step, i, run) : redoFile(step, i, run);
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
        append((back ? "undone " : "redone ") + QByteArray::number(step.id));
        (back ? m_undone : m_done).append(from.takeLast());
    }
    return result;
}

} // namespace fileops

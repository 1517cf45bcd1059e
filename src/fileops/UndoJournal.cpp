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
    struct stat info {};
    return !path.isEmpty() && ::lstat(path.constData(), &info) == 0;
}

QString nameOf(const QByteArray &path)
{
    return decodeFileName(path.mid(path.lastIndexOf('/') + 1));
}

QString reasonOf(const platform::Failure &failure)
{
    return failure.number == platform::errors::FileAlreadyExists ? QStringLiteral("its old place is taken")
                                                                 : failure.text();
}

// Temporary files a copy interrupted by a crash left in a folder.
void removeLeftovers(const QByteArray &folder)
{
    const platform::FolderRead read = platform::readFolder(decodeFileName(folder), platform::EntryKind::File);
    for (const platform::FolderEntry &entry : read.entries) {
        if (entry.name.startsWith(QLatin1String(".shelfmaster-")))
            ::unlink((folder + '/' + encodeFileName(entry.name)).constData());
    }
}

const QString kChanged = QStringLiteral("it was changed or removed since");

} // namespace

// Where a file of a step is now, and what it is there.
QByteArray UndoJournal::placeLine(const JournalStep &step, qsizetype index)
{
    const JournalFile &file = step.files.at(index);
    return "at " + QByteArray::number(step.id) + ' ' + QByteArray::number(index) + ' ' +
           (file.atTarget ? "T " : "S ") + QByteArray::number(file.identity.device) + ' ' +
           QByteArray::number(file.identity.inode) + ' ' + QByteArray::number(file.identity.size) + ' ' +
           QByteArray::number(file.identity.modifiedNs) + ' ' + field(file.target) + ' ' + field(file.trashInfo);
}

std::optional<FileIdentity> identityOf(const QByteArray &path)
{
    struct stat info {};
    if (path.isEmpty() || ::lstat(path.constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

UndoJournal::UndoJournal(QString path)
    : m_path(std::move(path))
{
}

std::optional<QString> UndoJournal::load()
{
    m_done.clear();
    m_undone.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt; // no journal yet
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
    if (lines.first() != kHeader || !replay(lines.mid(1))) {
        m_done.clear();
        m_undone.clear();
        const QString aside = m_path + QStringLiteral(".damaged");
        QFile::remove(aside);
        QFile::rename(m_path, aside);
        return aside;
    }
    settleInterrupted();
    return std::nullopt;
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
        if (what == "want" && f.size() == 4) {
            step->files.append({unfield(f[2]), unfield(f[3]), {}, false, true, {}});
        } else if ((what == "go" || what == "drop") && f.size() == 3) {
            JournalFile *file = fileAt(f[2]);
            if (!file)
                return false;
            if (what == "go")
                file->pending = true;
            else
                step->files.removeAt(f[2].toInt());
        } else if (what == "at" && f.size() == 10) {
            JournalFile *file = fileAt(f[2]);
            if (!file || (f[3] != "T" && f[3] != "S"))
                return false;
            file->atTarget = f[3] == "T";
            file->pending = false;
            file->identity = {f[4].toULongLong(), f[5].toULongLong(), f[6].toLongLong(), f[7].toLongLong()};
            file->target = unfield(f[8]);
            file->trashInfo = unfield(f[9]);
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
                if (step.kind == StepKind::Move || step.kind == StepKind::Copy)
                    removeLeftovers(platform::folderOf(file.atTarget ? file.source : file.target));
                bool arrived = false;
                switch (step.kind) {
                case StepKind::Copy:
                    // Forward the copy appeared; backward it went away.
                    arrived = file.atTarget ? !exists(file.target) : exists(file.target);
                    break;
                case StepKind::Trash:
                    // Into the trash the entry is unknown: the file can no longer be put back.
                    if (!file.atTarget && !exists(file.source)) {
                        step.files.removeAt(i);
                        continue;
                    }
                    arrived = file.atTarget && exists(file.source) && !exists(file.target);
                    if (arrived)
                        ::unlink(file.trashInfo.constData());
                    break;
                case StepKind::Move:
                case StepKind::Rename:
                    if (exists(destination) && exists(origin) && step.kind == StepKind::Move) {
                        // The copy to another file system was in place; removing the origin
                        // completes the move, so the file is there once.
                        const std::optional<FileIdentity> a = identityOf(origin);
                        const std::optional<FileIdentity> b = identityOf(destination);
                        if (a && b && a->size == b->size)
                            ::unlink(origin.constData());
                    }
                    arrived = exists(destination) && !exists(origin);
                    break;
                }
                if (arrived) {
                    file.atTarget = !file.atTarget;
                    file.identity = identityOf(file.atTarget ? file.target : file.source).value_or(FileIdentity{});
                } else if (!file.atTarget && file.identity == FileIdentity{}) {
                    step.files.removeAt(i); // never left its place: the operation did not happen
                }
            }
        }
        list->removeIf([](const JournalStep &step) { return step.files.isEmpty(); });
    }
    const bool tooLong = m_done.size() + m_undone.size() > kMaxSteps;
    trim();
    if (settled || tooLong)
        rewrite();
}

bool UndoJournal::append(const QByteArray &line)
{
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
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
                bytes += placeLine(step, i) + '\n';
            }
        }
    }
    for (const JournalStep &step : std::as_const(m_undone))
        bytes += "undone " + QByteArray::number(step.id) + '\n';
    if (const platform::MaybeFailure failure = platform::replaceFileAtomically(m_path, bytes); failure && !m_writeFailure)
        m_writeFailure = failure;
}

void UndoJournal::recordPlace(const JournalStep &step, qsizetype index)
{
    append(placeLine(step, index));
}

void UndoJournal::trim()
{
    while (m_done.size() + m_undone.size() > kMaxSteps)
        (m_done.isEmpty() ? m_undone : m_done).removeFirst();
}

void UndoJournal::beginStep(StepKind kind, const QString &area)
{
    m_open = JournalStep{m_nextId++, kind, area, {}};
}

JournalStep *UndoJournal::current()
{
    if (!m_open)
        return nullptr;
    if (m_open->files.isEmpty()) {
        // The first operation of a new command: what was undone can no longer be redone.
        for (const JournalStep &step : std::as_const(m_undone))
            append("forget " + QByteArray::number(step.id));
        m_undone.clear();
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

platform::MaybeFailure UndoJournal::transfer(const QString &source, const QString &target, Transfer how,
                                             const TransferProgress &progress)
{
    JournalStep *step = current();
    const QByteArray from = encodeFileName(source);
    const QByteArray to = encodeFileName(target);
    if (step)
        append("want " + QByteArray::number(step->id) + ' ' + field(from) + ' ' + field(to));
    platform::MaybeFailure failure = transferFile(source, target, how, progress);
    if (!step)
        return failure;
    const QByteArray index = QByteArray::number(step->files.size());
    if (failure) {
        append("drop " + QByteArray::number(step->id) + ' ' + index);
        return failure;
    }
    step->files.append({from, to, {}, true, false, identityOf(to).value_or(FileIdentity{})});
    recordPlace(*step, step->files.size() - 1);
    return failure;
}

platform::MaybeFailure UndoJournal::rename(const QString &from, const QString &to)
{
    beginStep(StepKind::Rename);
    JournalStep *step = current();
    const QByteArray oldName = encodeFileName(from);
    const QByteArray newName = encodeFileName(to);
    append("want " + QByteArray::number(step->id) + ' ' + field(oldName) + ' ' + field(newName));
    const platform::MaybeFailure failure = renameFile(from, to);
    if (failure) {
        append("drop " + QByteArray::number(step->id) + " 0");
    } else {
        step->files.append({oldName, newName, {}, true, false, identityOf(newName).value_or(FileIdentity{})});
        recordPlace(*step, 0);
    }
    endStep();
    return failure;
}

platform::MaybeFailure UndoJournal::trash(const QString &path)
{
    beginStep(StepKind::Trash);
    JournalStep *step = current();
    const QByteArray bytes = encodeFileName(path);
    append("want " + QByteArray::number(step->id) + ' ' + field(bytes) + " -");
    const platform::TrashResult result = platform::moveToTrash(bytes);
    if (result.failure) {
        append("drop " + QByteArray::number(step->id) + " 0");
    } else {
        step->files.append({bytes, result.trashed.file, result.trashed.info, true, false,
                            identityOf(result.trashed.file).value_or(FileIdentity{})});
        recordPlace(*step, 0);
    }
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

std::optional<QString> UndoJournal::undoFile(const JournalStep &step, JournalFile &file)
{
    if (identityOf(file.target) != file.identity)
        return kChanged;
    switch (step.kind) {
    case StepKind::Move:
    case StepKind::Rename: {
        const platform::MaybeFailure failure =
            step.kind == StepKind::Move
                ? transferFile(decodeFileName(file.target), decodeFileName(file.source), Transfer::Move)
                : renameFile(decodeFileName(file.target), decodeFileName(file.source));
        if (failure)
            return reasonOf(*failure);
        break;
    }
    case StepKind::Copy:
        // Without its original the copy is the only one left: it stays.
        if (!exists(file.source))
            return QStringLiteral("its original is gone");
        if (::unlink(file.target.constData()) != 0)
            return platform::Failure::fromErrno(errno).text();
        break;
    case StepKind::Trash:
        if (platform::renameNoReplace(file.target, file.source) != 0)
            return reasonOf(platform::Failure::fromErrno(errno));
        ::unlink(file.trashInfo.constData());
        break;
    }
    file.atTarget = false;
    file.identity = identityOf(file.source).value_or(FileIdentity{});
    return std::nullopt;
}

std::optional<QString> UndoJournal::redoFile(const JournalStep &step, JournalFile &file)
{
    if (identityOf(file.source) != file.identity)
        return kChanged;
    platform::MaybeFailure failure;
    switch (step.kind) {
    case StepKind::Move:
    case StepKind::Copy:
        failure = transferFile(decodeFileName(file.source), decodeFileName(file.target),
                               step.kind == StepKind::Move ? Transfer::Move : Transfer::Copy);
        break;
    case StepKind::Rename:
        failure = renameFile(decodeFileName(file.source), decodeFileName(file.target));
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
        return failure->number == platform::errors::FileAlreadyExists ? QStringLiteral("its new place is taken")
                                                                      : failure->text();
    file.atTarget = true;
    file.identity = identityOf(file.target).value_or(FileIdentity{});
    return std::nullopt;
}

UndoResult UndoJournal::undo()
{
    return takeStep(true);
}

UndoResult UndoJournal::redo()
{
    return takeStep(false);
}

UndoResult UndoJournal::takeStep(bool back)
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
        if (const std::optional<QString> refusal = back ? undoFile(step, file) : redoFile(step, file)) {
            result.refusals << nameOf(file.source) + QStringLiteral(": ") + *refusal;
            all = false;
        } else {
            result.restored << decodeFileName(back ? file.source : file.target);
        }
        recordPlace(step, i);
    }
    // A step only partly taken back stays where it is, to be finished later.
    if (all) {
        append((back ? "undone " : "redone ") + QByteArray::number(step.id));
        (back ? m_undone : m_done).append(from.takeLast());
    }
    return result;
}

} // namespace fileops

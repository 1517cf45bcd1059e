#include "fileops/JournalFormat.h"

#include <algorithm>

namespace fileops {

void JournalStep::addFile(JournalFile file)
{
    file.joinsPrevious = openUnit >= 0 && openUnit < files.size();
    files.append(std::move(file));
}

void JournalStep::removeFile(qsizetype index)
{
    if (index + 1 < files.size() && !files.at(index).joinsPrevious)
        files[index + 1].joinsPrevious = false;
    if (openUnit > index)
        --openUnit;
    if (taking && taking->end > index) {
        taking->first -= taking->first > index ? 1 : 0;
        --taking->end;
    }
    files.removeAt(index);
}

qsizetype JournalStep::unitEnd(qsizetype first) const
{
    qsizetype end = first + 1;
    while (end < files.size() && files.at(end).joinsPrevious)
        ++end;
    return end;
}

} // namespace fileops

namespace fileops::journalformat {

const QByteArray kHeader = "SHELFMASTER-UNDO 1";

namespace {

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

QByteArray fileKey(qint64 step, qsizetype file)
{
    return QByteArray::number(step) + ' ' + QByteArray::number(file);
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

// Applies one line to the stacks; false when it is damaged.
bool apply(const QByteArray &line, JournalStacks &stacks)
{
    const QList<QByteArray> f = line.split(' ');
    const QByteArray &what = f.first();
    const auto stepWithId = [&](const QByteArray &text) -> JournalStep * {
        bool ok = false;
        const qint64 id = text.toLongLong(&ok);
        for (QList<JournalStep> *list : {&stacks.done, &stacks.undone}) {
            for (JournalStep &step : *list) {
                if (ok && step.id == id)
                    return &step;
            }
        }
        return nullptr;
    };
    if (what == "step" && f.size() == 4) {
        const std::optional<StepKind> kind = kindNamed(f[2]);
        bool ok = false;
        const qint64 id = f[1].toLongLong(&ok);
        if (!kind || !ok || stepWithId(f[1]))
            return false;
        stacks.done.append({id, *kind, QString::fromUtf8(unfield(f[3])), {}});
        stacks.nextId = std::max(stacks.nextId, id + 1);
        ++stacks.stepLines;
        return true;
    }
    JournalStep *step = f.size() >= 2 ? stepWithId(f[1]) : nullptr;
    if (!step)
        return false;
    JournalFile *file = nullptr;
    if (f.size() >= 3 && what != "want" && what != "unit") {
        bool ok = false;
        const int index = f[2].toInt(&ok);
        if (!ok || index < 0 || index >= step->files.size())
            return false;
        file = &step->files[index];
    }
    if (what == "want" && (f.size() == 4 || f.size() == 8)) {
        const std::optional<QByteArray> source = pathField(f[2]);
        const std::optional<QByteArray> target = pathField(f[3], step->kind == StepKind::Trash);
        if (!source || !target || *source == *target)
            return false;
        JournalFile wanted;
        wanted.source = *source;
        wanted.target = *target;
        if (f.size() == 8)
            wanted.identity = identityFrom(f, 4);
        step->addFile(wanted);
    } else if (what == "unit" && f.size() == 3) {
        if (f[2] != QByteArray::number(step->files.size()))
            return false;
        // One left open is one whose end could not be written: the new one replaces it.
        step->taking.reset();
        step->openUnit = step->files.size();
    } else if (what == "take" && f.size() == 5) {
        bool ok = false;
        const qsizetype end = f[3].toLongLong(&ok);
        if (!ok || end <= f[2].toLongLong() || end > step->files.size() || (f[4] != "T" && f[4] != "S"))
            return false;
        step->openUnit = -1;
        step->taking = JournalStep::Taking{f[2].toLongLong(), end, f[4] == "T"};
    } else if (what == "whole" && f.size() == 2) {
        step->openUnit = -1;
        step->taking.reset();
    } else if (what == "go" && f.size() == 3) {
        file->pending = true;
        file->placed = {};
        file->temporaries.clear();
    } else if (what == "drop" && f.size() == 3) {
        step->removeFile(f[2].toInt());
    } else if (what == "temp" && f.size() == 4) {
        const std::optional<QByteArray> temporary = pathField(f[3]);
        if (!temporary)
            return false;
        file->temporaries.append(*temporary);
    } else if (what == "trash" && f.size() == 5 && step->kind == StepKind::Trash) {
        const std::optional<QByteArray> trashed = pathField(f[3]);
        const std::optional<QByteArray> info = pathField(f[4]);
        if (!trashed || !info || !info->endsWith(".trashinfo"))
            return false;
        file->temporaries = {*trashed, *info};
    } else if (what == "placed" && f.size() == 11) {
        file->placed = identityFrom(f, 3);
        if (step->kind == StepKind::Copy)
            file->original = identityFrom(f, 7);
    } else if (what == "at" && (f.size() == 10 || f.size() == 14)) {
        const std::optional<QByteArray> target = pathField(f[8]);
        const std::optional<QByteArray> info = pathField(f[9], true);
        if ((f[3] != "T" && f[3] != "S") || !target || !info || *target == file->source ||
            (!info->isEmpty() && !info->endsWith(".trashinfo")))
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
        QList<JournalStep> &from = what == "undone" ? stacks.done : stacks.undone;
        const qsizetype at = std::ranges::find(from, step->id, &JournalStep::id) - from.begin();
        if (at >= from.size())
            return false;
        JournalStep moved = from.takeAt(at);
        if (what == "undone")
            stacks.undone.append(std::move(moved));
        else if (what == "redone")
            stacks.done.append(std::move(moved));
    } else {
        return false;
    }
    return true;
}

} // namespace

QByteArray stepLine(const JournalStep &step)
{
    return "step " + QByteArray::number(step.id) + ' ' + kindName(step.kind) + ' ' + field(step.area.toUtf8());
}

QByteArray wantLine(qint64 step, const JournalFile &file)
{
    return "want " + QByteArray::number(step) + ' ' + field(file.source) + ' ' + field(file.target) + ' ' +
           identityFields(file.identity);
}

QByteArray unitLine(qint64 step, qsizetype first)
{
    return "unit " + fileKey(step, first);
}

QByteArray wholeLine(qint64 step)
{
    return "whole " + QByteArray::number(step);
}

QByteArray takeLine(qint64 step, const JournalStep::Taking &taking)
{
    return "take " + fileKey(step, taking.first) + ' ' + QByteArray::number(taking.end) + ' ' +
           (taking.fromTarget ? 'T' : 'S');
}

QByteArray goLine(qint64 step, qsizetype file)
{
    return "go " + fileKey(step, file);
}

QByteArray dropLine(qint64 step, qsizetype file)
{
    return "drop " + fileKey(step, file);
}

QByteArray temporaryLine(qint64 step, qsizetype file, const QByteArray &path)
{
    return "temp " + fileKey(step, file) + ' ' + field(path);
}

QByteArray trashLine(qint64 step, qsizetype file, const QByteArray &trashed, const QByteArray &info)
{
    return "trash " + fileKey(step, file) + ' ' + field(trashed) + ' ' + field(info);
}

QByteArray placedLine(qint64 step, qsizetype file, const FileIdentity &copy, const FileIdentity &source)
{
    return "placed " + fileKey(step, file) + ' ' + identityFields(copy) + ' ' + identityFields(source);
}

QByteArray placeLine(qint64 step, qsizetype file, const JournalFile &state)
{
    return "at " + fileKey(step, file) + ' ' + (state.atTarget ? "T " : "S ") + identityFields(state.identity) + ' ' +
           field(state.target) + ' ' + field(state.trashInfo) + ' ' + identityFields(state.original);
}

QByteArray stackLine(Stack change, qint64 step)
{
    const char *word = change == Stack::Undone ? "undone " : change == Stack::Redone ? "redone " : "forget ";
    return word + QByteArray::number(step);
}

std::optional<JournalStacks> parse(const QList<QByteArray> &lines)
{
    JournalStacks stacks;
    for (const QByteArray &line : lines) {
        if (!apply(line, stacks))
            return std::nullopt;
    }
    return stacks;
}

QByteArray serialise(const QList<JournalStep> &done, const QList<JournalStep> &undone)
{
    QByteArray bytes = kHeader + '\n';
    for (const QList<JournalStep> *list : {&done, &undone}) {
        for (const JournalStep &step : *list) {
            bytes += stepLine(step) + '\n';
            for (qsizetype first = 0; first < step.files.size();) {
                const qsizetype end = step.unitEnd(first);
                if (end - first > 1 || first == step.openUnit)
                    bytes += unitLine(step.id, first) + '\n';
                for (qsizetype i = first; i < end; ++i)
                    bytes += wantLine(step.id, step.files.at(i)) + '\n' + placeLine(step.id, i, step.files.at(i)) + '\n';
                if (end - first > 1 && first != step.openUnit)
                    bytes += wholeLine(step.id) + '\n';
                first = end;
            }
            if (step.taking)
                bytes += takeLine(step.id, *step.taking) + '\n';
        }
    }
    // Undone last first, so that reading these lines gives the redo order back.
    for (const JournalStep &step : undone)
        bytes += stackLine(Stack::Undone, step.id) + '\n';
    return bytes;
}

} // namespace fileops::journalformat

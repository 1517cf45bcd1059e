// Runs one command through the undo journal on two files, lets another program interfere, then
// undoes, redoes and undoes it again, and renames a third file: the crash test kills this
// program at chosen points.
//   undohelper JOURNAL FROM TO OPERATION INTERFERENCE [KILL_AT | recover]
// OPERATION: move, copy, trash, rename, casefold (a rename in another letter case on a folder
// that ignores case); INTERFERENCE: original-taken, target-taken, changed, removed. KILL_AT
// counts the calls that change the disk; the number made is printed, so the test knows every
// point it can stop the program at. "recover" only starts as the program does, settling the
// journal on the same file systems.
#include "fileops/UndoJournal.h"

#include <QFile>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kFiles = 2;

template <class Function>
Function shim(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_DEFAULT, name));
}

// Another program's file of the same size as the one it stands beside, put in place whole.
void putStranger(const QByteArray &path, qint64 size)
{
    const QByteArray temporary = path + ".actor";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const QByteArray bytes(size, 's');
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::close(fd) != 0 ||
        ::rename(temporary.constData(), path.constData()) != 0)
        std::exit(3);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 6)
        return 2;
    const auto arm = shim<void (*)(const char *, int, int)>("faultshim_arm");
    const auto calls = shim<int (*)(const char *)>("faultshim_calls");
    const auto casefold = shim<void (*)(const char *)>("faultshim_casefold");
    const auto copyChunk = shim<void (*)(size_t)>("faultshim_copy_chunk");
    if (!arm || !calls || !casefold || !copyChunk)
        return 2;
    copyChunk(16384); // a copy stops half way at more points
    const QByteArray last = argc > 6 ? argv[6] : "";
    arm("step", -1, last.isEmpty() || last == "recover" ? 1 << 30 : last.toInt());
    const QByteArray from = argv[2];
    const QByteArray to = argv[3];
    const QByteArray operation = argv[4];
    const QByteArray interference = argv[5];
    if (operation == "casefold")
        casefold(from.constData());
    fileops::UndoJournal journal(QString::fromLocal8Bit(argv[1]));
    if (journal.load())
        return 1;
    if (last == "recover")
        return 0;
    const auto source = [&](int i) { return from + "/f" + QByteArray::number(i) + ".jpg"; };
    const auto target = [&](int i) {
        if (operation == "rename")
            return from + "/g" + QByteArray::number(i) + ".jpg";
        if (operation == "casefold")
            return from + "/F" + QByteArray::number(i) + ".JPG";
        return to + "/f" + QByteArray::number(i) + ".jpg";
    };
    const qint64 size = QFile(QString::fromLocal8Bit(source(0))).size();

    if (interference == "target-taken")
        putStranger(target(0), size);
    if (operation == "move" || operation == "copy")
        journal.beginStep(operation == "move" ? fileops::StepKind::Move : fileops::StepKind::Copy, "Far");
    for (int i = 0; i < kFiles; ++i) {
        const QString s = QString::fromLocal8Bit(source(i));
        const QString t = QString::fromLocal8Bit(target(i));
        if (operation == "move" || operation == "copy")
            journal.transfer(s, t, operation == "move" ? fileops::Transfer::Move : fileops::Transfer::Copy);
        else if (operation == "trash")
            journal.trash(s);
        else
            journal.rename(s, t);
    }
    journal.endStep();

    // Another program acts on the first file while nothing of ours runs.
    const QList<fileops::JournalStep> &done = journal.doneSteps();
    const fileops::JournalFile *first = nullptr;
    for (const fileops::JournalStep &step : done) {
        if (!step.files.isEmpty() && step.files.first().source == source(0))
            first = &step.files.first();
    }
    if (first && interference != "target-taken") {
        const QByteArray now = first->atTarget ? first->target : first->source;
        if (interference == "original-taken")
            putStranger(source(0), size);
        else if (interference == "removed")
            ::unlink(now.constData());
        else if (interference == "changed") {
            const int fd = ::open(now.constData(), O_WRONLY);
            if (fd < 0 || ::pwrite(fd, "edited", 6, 0) != 6 || ::close(fd) != 0)
                return 3;
        }
    }

    for (const bool back : {true, false, true}) {
        for (int step = 0; step < kFiles && (back ? journal.canUndo() : journal.canRedo()); ++step)
            back ? journal.undo() : journal.redo();
    }
    // A new command: what was undone can no longer be redone.
    journal.rename(QString::fromLocal8Bit(from + "/n.jpg"), QString::fromLocal8Bit(from + "/m.jpg"));
    std::printf("%d\n", calls("step"));
    return 0;
}

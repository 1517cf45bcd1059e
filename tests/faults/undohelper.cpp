// Runs one command through the undo journal on two files, lets another program interfere, then
// undoes, redoes and undoes it again, and renames a third file: the crash test stops this
// program at chosen points.
//   undohelper JOURNAL FROM TO OPERATION INTERFERENCE [STOP_AT | recover]
// OPERATION: move, copy, trash, rename, casefold (a rename in another letter case on a folder
// that ignores case), settings (the settings file beside the journal rewritten, nothing else) or
// unit (both files moved as one unit, nothing else; target-taken gives the second one's name in
// the area to another program's file, so that the first comes back);
// INTERFERENCE: original-taken, target-taken, changed, removed. STOP_AT counts the calls that
// change the disk; the number made is printed, so the test knows every point it can stop the
// program at. "recover" only starts as the program does, settling the journal on the same file
// systems.
#include "fileops/UndoJournal.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

extern "C" {
void faultshim_arm(const char *call, int error, int nth) __attribute__((weak));
int faultshim_calls(const char *call) __attribute__((weak));
void faultshim_casefold(const char *folder) __attribute__((weak));
void faultshim_copy_chunk(size_t bytes) __attribute__((weak));
}

namespace {

// Another program's file of the same size as the one it stands beside, put in place whole.
void putStranger(const QByteArray &path, qint64 size)
{
    const QByteArray temporary = path + ".actor", bytes(size, 's');
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(size)) != size || ::close(fd) != 0 || ::rename(temporary.constData(), path.constData()) != 0)
        std::exit(3);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 6 || !faultshim_arm) return 2;
    faultshim_copy_chunk(16384); // a copy stops half way at more points
    const QByteArray journalPath = argv[1], from = argv[2], to = argv[3], operation = argv[4], interference = argv[5];
    const QByteArray last = argc > 6 ? argv[6] : "";
    faultshim_arm("step", -1, last.isEmpty() || last == "recover" ? 1 << 30 : last.toInt());
    if (operation == "casefold") faultshim_casefold(from.constData());
    fileops::UndoJournal journal(QString::fromLocal8Bit(journalPath));
    if (journal.load()) return 1;
    if (last == "recover") return 0;
    if (operation == "settings") {
        const QStringList lines(2000, QStringLiteral("NEW=") + QString(64, 'x'));
        if (platform::writeTextLines(QFileInfo(QString::fromLocal8Bit(journalPath)).dir().filePath("MSAREA.INI"), lines)) return 1;
        std::printf("%d\n", faultshim_calls("step"));
        return 0;
    }
    if (operation.startsWith("unit")) {
        const auto member = [](const QByteArray &folder, int i) { return QString::fromLocal8Bit(folder + "/f" + QByteArray::number(i) + ".jpg"); };
        if (interference == "target-taken") putStranger(member(to, 1).toLocal8Bit(), 1000);
        journal.beginStep(fileops::StepKind::Move, "Far");
        journal.transfer({{member(from, 0), member(to, 0)}, {member(from, 1), member(to, 1)}}, fileops::Transfer::Move);
        journal.endStep();
        if (operation == "unit-undone") {
            journal.undo();
            journal.redo();
            journal.undo();
        }
        std::printf("%d\n", faultshim_calls("step"));
        return 0;
    }
    const auto source = [&](int i) { return from + "/f" + QByteArray::number(i) + ".jpg"; };
    const auto target = [&](int i) {
        if (operation == "rename") return from + "/g" + QByteArray::number(i) + ".jpg";
        return operation == "casefold" ? from + "/F" + QByteArray::number(i) + ".JPG" : to + "/f" + QByteArray::number(i) + ".jpg";
    };
    const qint64 size = QFileInfo(QString::fromLocal8Bit(source(0))).size();
    const bool transfers = operation == "move" || operation == "copy";

    if (interference == "target-taken") putStranger(target(0), size);
    if (transfers) journal.beginStep(operation == "move" ? fileops::StepKind::Move : fileops::StepKind::Copy, "Far");
    for (int i = 0; i < 2; ++i) {
        const QString s = QString::fromLocal8Bit(source(i)), t = QString::fromLocal8Bit(target(i));
        if (transfers) journal.transfer(s, t, operation == "move" ? fileops::Transfer::Move : fileops::Transfer::Copy);
        else if (operation == "trash") journal.trash(s);
        else journal.rename(s, t);
    }
    journal.endStep();

    // Another program acts on the first file while nothing of ours runs.
    const fileops::JournalFile *first = nullptr;
    for (const fileops::JournalStep &step : journal.doneSteps())
        if (!step.files.isEmpty() && step.files.first().source == source(0)) first = &step.files.first();
    const QByteArray now = !first ? QByteArray() : first->atTarget ? first->target : first->source;
    if (first && interference == "original-taken") putStranger(source(0), size);
    if (first && interference == "removed") ::unlink(now.constData());
    if (first && interference == "changed") {
        const int fd = ::open(now.constData(), O_WRONLY);
        if (fd < 0 || ::pwrite(fd, "edited", 6, 0) != 6 || ::close(fd) != 0) return 3;
    }

    for (const bool back : {true, false, true}) {
        for (int step = 0; step < 2 && (back ? journal.canUndo() : journal.canRedo()); ++step) back ? journal.undo() : journal.redo();
    }
    // A new command: what was undone can no longer be redone.
    journal.rename(QString::fromLocal8Bit(from + "/n.jpg"), QString::fromLocal8Bit(from + "/m.jpg"));
    std::printf("%d\n", faultshim_calls("step"));
    return 0;
}

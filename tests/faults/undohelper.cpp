// Sorts numbered files from one folder to another through the undo journal, undoes the sort
// and redoes it: the crash test kills this program at random points of that work.
#include "fileops/UndoJournal.h"

int main(int argc, char *argv[])
{
    if (argc != 5)
        return 2;
    fileops::UndoJournal journal(QString::fromLocal8Bit(argv[1]));
    if (journal.load())
        return 1;
    const QString from = QString::fromLocal8Bit(argv[2]);
    const QString to = QString::fromLocal8Bit(argv[3]);
    const int count = QByteArray(argv[4]).toInt();
    journal.beginStep(fileops::StepKind::Move, QStringLiteral("Far"));
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("/f%1.jpg").arg(i);
        if (journal.transfer(from + name, to + name, fileops::Transfer::Move))
            return 1;
    }
    journal.endStep();
    if (!journal.undo().refusals.isEmpty() || !journal.redo().refusals.isEmpty())
        return 1;
    return 0;
}

#pragma once

#include "fileops/FileTransfer.h"
#include "fileops/JournalFormat.h"
#include "platform/Failure.h"
#include "platform/Trash.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace fileops {

// Where one file of a unit goes (the trash chooses the target itself).
struct UnitMember {
    QString source;
    QString target;
};

// The outcome of an undo or redo: the files put in place, and the ones refused with why.
struct UndoResult {
    QStringList restored; // full paths, where the files are now
    QStringList refusals; // "name: reason"
    bool cancelled = false; // the user stopped it: the files not yet taken stay where they are
};

// Undo and redo for file commands, kept in a journal file that survives the program. Every
// operation is recorded before it starts and again once it ended, each line appended with
// fsync; loading the journal settles an operation a crash interrupted by looking at the disk.
// A file is removed only with proof that its bytes are safe elsewhere: the identity recorded
// when we wrote the other copy, or the same contents.
class UndoJournal {
public:
    static constexpr int kMaxSteps = 1000;

    explicit UndoJournal(QString path);
    ~UndoJournal();
    UndoJournal(const UndoJournal &) = delete;
    UndoJournal &operator=(const UndoJournal &) = delete;

    // Reads the journal, which this program then holds until it ends. One that cannot be read,
    // or that another user could have written, is set aside under another name, which is
    // returned, and the journal starts empty. While another program holds it, nothing is read
    // or written: that is the write failure.
    std::optional<QString> load();

    void beginStep(StepKind kind, const QString &area = {});
    // The file commands, recorded in the current step. A unit is files that go together (a RAW
    // file and the picture of the same shot, the editors' files beside them): when one of them
    // fails, those already sent come back, so a unit is never split; failedMember tells which.
    platform::MaybeFailure transfer(const QList<UnitMember> &unit, Transfer how, const TransferProgress &progress = {},
                                    qsizetype *failedMember = nullptr);
    platform::MaybeFailure transfer(const QString &source, const QString &target, Transfer how,
                                    const TransferProgress &progress = {})
    {
        return transfer({{source, target}}, how, progress);
    }
    void endStep();
    // A step of its own: the files of a unit to the trash, or renamed.
    platform::MaybeFailure trash(const QStringList &unit, qsizetype *failedMember = nullptr);
    platform::MaybeFailure trash(const QString &path) { return trash(QStringList{path}); }
    platform::MaybeFailure rename(const QList<UnitMember> &unit, qsizetype *failedMember = nullptr);
    platform::MaybeFailure rename(const QString &from, const QString &to) { return rename({{from, to}}); }

    bool canUndo() const { return !m_stacks.done.isEmpty(); }
    bool canRedo() const { return !m_stacks.undone.isEmpty(); }
    // "Undo move of IMG_0042.jpg to Beach", "Redo delete of 3 files", or the bare word.
    QString undoText() const;
    QString redoText() const;
    UndoResult undo(const TransferRunner &run = {});
    UndoResult redo(const TransferRunner &run = {});

    const QList<JournalStep> &doneSteps() const { return m_stacks.done; }
    const QList<JournalStep> &undoneSteps() const { return m_stacks.undone; }
    // Set when the journal could not be written: undo then covers less than was done.
    std::optional<platform::Failure> writeFailure() const { return m_writeFailure; }

private:
    bool lock();
    std::optional<QString> setAside();
    bool append(const QByteArray &line);
    void rewrite();
    void recordPlace(const JournalStep &step, qsizetype index);
    TransferRecorder recorderFor(JournalStep &step, qsizetype index);
    std::function<void(const platform::TrashedFile &)> trashClaim(const JournalStep &step, qsizetype index);
    // A new command's first file is in place: what was undone can no longer be redone.
    void forgetRedo();
    void trim();
    // Takes back the files of a step from index on, the newest first: a unit that could not go
    // whole. One that cannot come back stays in the step, to be undone with it; the places of
    // those are returned.
    QStringList retract(JournalStep &step, qsizetype from);
    // A unit a crash cut in two comes back whole: one on its way is taken back, as one that
    // failed half-way is, and one being undone or redone goes back to where it set out from.
    void mendUnit(JournalStep &step);
    // Records each member's operation; on the first failure the members before it are retracted,
    // and the failure names those that stayed where they went.
    platform::MaybeFailure actOnUnit(const QList<UnitMember> &unit,
                                     const std::function<platform::MaybeFailure(JournalFile &, qsizetype)> &act,
                                     qsizetype *failedMember = nullptr);
    // The step under way, its line written before its first operation; none outside a step.
    JournalStep *current();
    // Records a file about to be acted on as the step's last, and then what became of it.
    qsizetype want(JournalStep &step, const QByteArray &source, const QByteArray &target);
    void settleWanted(JournalStep &step, const platform::MaybeFailure &failure);
    static QString describe(const JournalStep &step);
    // Undoes (back) or redoes the last step of its list.
    UndoResult takeStep(bool back, const TransferRunner &run);
    // Takes the files of the unit from first to end back or forth, all or none; false when any stays.
    bool takeUnit(JournalStep &step, qsizetype first, qsizetype end, bool back, const TransferRunner &run,
                  UndoResult &result);
    // Why a file of a step cannot be taken back or forth as things are on the disk now.
    static std::optional<QString> obstacle(const JournalStep &step, qsizetype index, bool back);
    // Undoes or redoes one file, with its journal lines around.
    std::optional<QString> takeFile(JournalStep &step, qsizetype index, bool back, const TransferRunner &run);
    std::optional<QString> undoFile(JournalStep &step, qsizetype index, const TransferRunner &run);
    std::optional<QString> redoFile(JournalStep &step, qsizetype index, const TransferRunner &run);

    QString m_path;
    JournalStacks m_stacks;
    std::optional<JournalStep> m_open;
    bool m_openWritten = false;
    int m_lock = -1;
    bool m_unusable = false; // another program's, or set aside but not moved: never written
    std::optional<platform::Failure> m_writeFailure;
};

} // namespace fileops

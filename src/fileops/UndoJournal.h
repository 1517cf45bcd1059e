#pragma once

#include "fileops/FileTransfer.h"
#include "platform/Failure.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace fileops {

// What a file is, as far as undo needs to know it is still the same file.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const FileIdentity &) const = default;
};
std::optional<FileIdentity> identityOf(const QByteArray &path);

enum class StepKind { Move, Copy, Trash, Rename };

// One file of a command: where it was, where the command put it, and where it is now.
struct JournalFile {
    QByteArray source;
    QByteArray target;    // for the trash: the file inside the trash
    QByteArray trashInfo; // for the trash: its entry in the trash's info folder
    bool atTarget = false;
    bool pending = true;   // the operation began but was not seen to end
    FileIdentity identity; // of the file where it is now (for a copy at its source: the source)
};

// One command: a sort of the selected files, a delete to the trash, a rename.
struct JournalStep {
    qint64 id = 0;
    StepKind kind = StepKind::Move;
    QString area;
    QList<JournalFile> files;
};

// The outcome of an undo or redo: the files put in place, and the ones refused with why.
struct UndoResult {
    QStringList restored; // full paths, where the files are now
    QStringList refusals; // "name: reason"
};

// Undo and redo for file commands, kept in a journal file that survives the program. Every
// operation is recorded before it starts and again once it ended, each line appended with
// fsync; loading the journal settles an operation a crash interrupted by looking at the disk.
class UndoJournal {
public:
    static constexpr int kMaxSteps = 1000;

    explicit UndoJournal(QString path);

    // Reads the journal. One that cannot be read is set aside under another name, which is
    // returned, and the journal starts empty.
    std::optional<QString> load();

    void beginStep(StepKind kind, const QString &area = {});
    // The file commands, recorded in the current step.
    platform::MaybeFailure transfer(const QString &source, const QString &target, Transfer how,
                                    const TransferProgress &progress = {});
    platform::MaybeFailure trash(const QString &path);
    platform::MaybeFailure rename(const QString &from, const QString &to);
    void endStep();

    bool canUndo() const { return !m_done.isEmpty(); }
    bool canRedo() const { return !m_undone.isEmpty(); }
    // "Undo move of IMG_0042.jpg to Beach", "Redo delete of 3 files", or the bare word.
    QString undoText() const;
    QString redoText() const;
    UndoResult undo();
    UndoResult redo();

    const QList<JournalStep> &doneSteps() const { return m_done; }
    // Set when the journal could not be written: undo then covers less than was done.
    std::optional<platform::Failure> writeFailure() const { return m_writeFailure; }

private:
    bool append(const QByteArray &line);
    void rewrite();
    bool replay(const QList<QByteArray> &lines);
    void settleInterrupted();
    void recordPlace(const JournalStep &step, qsizetype index);
    static QByteArray placeLine(const JournalStep &step, qsizetype index);
    void trim();
    JournalStep *current();
    static QString describe(const JournalStep &step);
    // Undoes (back) or redoes the last step of its list.
    UndoResult takeStep(bool back);
    std::optional<QString> undoFile(const JournalStep &step, JournalFile &file);
    std::optional<QString> redoFile(const JournalStep &step, JournalFile &file);

    QString m_path;
    QList<JournalStep> m_done;   // oldest first
    QList<JournalStep> m_undone; // the next to redo last
    std::optional<JournalStep> m_open;
    qint64 m_nextId = 1;
    int m_stepsInFile = 0;
    std::optional<platform::Failure> m_writeFailure;
};

} // namespace fileops

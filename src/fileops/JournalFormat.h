#pragma once

#include "fileops/FileTransfer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace fileops {

enum class StepKind { Move, Copy, Trash, Rename };

// One file of a command: where it was, where the command put it, and where it is now.
struct JournalFile {
    QByteArray source;
    QByteArray target;    // for the trash: the file inside the trash
    QByteArray trashInfo; // for the trash: its entry in the trash's info folder
    bool atTarget = false;
    bool pending = true;     // the operation began but was not seen to end
    bool placeKnown = false; // the file was once seen where the command put it
    bool joinsPrevious = false; // of one unit with the file before it: they go all or none
    FileIdentity identity;   // of the file where it is now
    FileIdentity original;   // for a copy: of the original it was made from
    // Of an operation under way: the complete copy before it got its name, and the temporary
    // names it used (for the trash: the file's place there and its entry). A crash leaves nothing
    // else of ours behind.
    FileIdentity placed;
    QList<QByteArray> temporaries;

    bool operator==(const JournalFile &) const = default;
};

// One command: a sort of the selected files, a delete to the trash, a rename.
struct JournalStep {
    qint64 id = 0;
    StepKind kind = StepKind::Move;
    QString area;
    QList<JournalFile> files;
    // The files from this index on are a unit that was not seen to arrive whole: a crash cut it.
    qsizetype openUnit = -1;
    // A unit being undone or redone, not seen to get there whole: its files, and whether they
    // set out from their targets.
    struct Taking {
        qsizetype first = 0;
        qsizetype end = 0;
        bool fromTarget = false;
        bool operator==(const Taking &) const = default;
    };
    std::optional<Taking> taking;

    // Appends a file, of the open unit if there is one.
    void addFile(JournalFile file);
    // Removes a file; the one after it begins the unit if this one did, and an open unit after
    // it keeps its files.
    void removeFile(qsizetype index);
    // Where the unit beginning at first ends: the files in between go all or none.
    qsizetype unitEnd(qsizetype first) const;

    bool operator==(const JournalStep &) const = default;
};

// What the journal says was done and can be undone (oldest first), and what was undone and can
// be redone (the next to redo last).
struct JournalStacks {
    QList<JournalStep> done;
    QList<JournalStep> undone;
    int stepLines = 0; // in the file, which may hold steps long since trimmed
    qint64 nextId = 1; // above every step the file names
};

// The journal file: a header line, then a line for each event, appended as it happens. Paths are
// file-system bytes, percent-encoded; a line that is not exactly as written marks the journal as
// damaged, so that nothing is done on a guess.
namespace journalformat {

extern const QByteArray kHeader;

QByteArray stepLine(const JournalStep &step);
// A file about to be acted on, with the identity it has where it is.
QByteArray wantLine(qint64 step, const JournalFile &file);
// The next files are a unit, all or none; and the unit (or one undone or redone) came whole, or whole back.
QByteArray unitLine(qint64 step, qsizetype first);
QByteArray wholeLine(qint64 step);
// The files from first to end are undone or redone as a unit, setting out from their targets or sources.
QByteArray takeLine(qint64 step, const JournalStep::Taking &taking);
// A file about to be taken back or forward again.
QByteArray goLine(qint64 step, qsizetype file);
// The operation on a wanted file failed: it never happened.
QByteArray dropLine(qint64 step, qsizetype file);
// A temporary file of that name is about to be made.
QByteArray temporaryLine(qint64 step, qsizetype file, const QByteArray &path);
// A file is about to go into the trash under file, with the trash entry info already made.
QByteArray trashLine(qint64 step, qsizetype file, const QByteArray &trashed, const QByteArray &info);
// The complete copy is about to be given its name; source is the file it was read from.
QByteArray placedLine(qint64 step, qsizetype file, const FileIdentity &copy, const FileIdentity &source);
// Where a file of a step is now, and what it is there.
QByteArray placeLine(qint64 step, qsizetype file, const JournalFile &state);
enum class Stack { Undone, Redone, Forget };
QByteArray stackLine(Stack change, qint64 step);

// The steps that the lines after the header describe; none when one of them is damaged.
std::optional<JournalStacks> parse(const QList<QByteArray> &lines);
// The whole file for these steps, each file of each settled.
QByteArray serialise(const QList<JournalStep> &done, const QList<JournalStep> &undone);

} // namespace journalformat

} // namespace fileops

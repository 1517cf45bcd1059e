#pragma once

#include "catalogue/AreaRecord.h"
#include "fileops/AreaTransfer.h"
#include "fileops/FileTransfer.h"
#include "platform/MessageBox.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

namespace fileops {

class UndoJournal;

// What the user chose to sort: the selected files of a folder into an area.
struct SortRequest {
    QString folder;
    QStringList names; // in list order
    // The files that go with a listed one, all or none: its RAW file, the editors' files.
    QHash<QString, QStringList> companions;
    QString area;      // its name, for the step to undo
    // The records of that name in the chosen group; a name listed twice sends each file to each.
    catalogue::AreaArchive records;
    Transfer how = Transfer::Move;
    bool prompt = false; // ask before each file
};

// A file that did not reach an area folder, reported as soon as it failed.
struct SortFailure {
    QString name; // the listed file
    QString target; // of the file that failed: the listed one or one that goes with it
    // FileAlreadyExists when the folder holds the name in any letter case.
    platform::Failure failure;
};

// What a sort did, each list in the order the files were handled.
struct SortResult {
    QStringList moved;
    QStringList copied;
    QStringList cancelled; // the file the user stopped the command at, and those after it
    QList<SortFailure> failed;

    int sent() const { return int(moved.size() + copied.size()); }
};

// Sends every named file to every record of the area, as one step to undo. Each area folder is
// read once per command, since other programs may change it between commands.
//
// Threads: the runner may run the work on another thread; that work is the only code that
// writes the journal while it runs. The runner must return only once the work ended, and the
// caller's thread must not touch the journal meanwhile (the window waits in an event loop that
// drops the user's input, so no other command can start). Everything else (the names the area
// folders hold, the result) is the command's own and stays on the caller's thread.
class SortCommand {
public:
    // True to go ahead with the file the question names.
    using Ask = std::function<bool(const platform::MessageRequest &question)>;
    using Report = std::function<void(const SortFailure &failure)>;

    SortCommand(SortRequest request, UndoJournal &journal, TransferRunner run, Ask ask, Report report);
    SortResult run();

private:
    // False when the user stopped the command at this file.
    bool sendEverywhere(const QString &name);
    bool send(const QString &name, const QString &areaPath);

    SortRequest m_request;
    UndoJournal &m_journal;
    TransferRunner m_run;
    Ask m_ask;
    Report m_report;
    AreaNames m_areaNames;
    SortResult m_result;
};

} // namespace fileops

#pragma once

#include "browse/FileListRules.h"
#include "browse/FileUnits.h"
#include "browse/FolderReader.h"
#include "platform/Failure.h"
#include "platform/FolderWatch.h"

#include <QAbstractListModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QSet>
#include <QStringList>

namespace browse {

// The names of one folder's pictures and movies, for a list view, and the files that go with
// some of them (kept apart: most files have none).
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The ending of a pair's RAW file, shown after the name.
    static constexpr int RawEndingRole = Qt::UserRole;

    using QAbstractListModel::QAbstractListModel;

    void setNames(QStringList names, QHash<QString, FileUnit> units = {});
    // Removes single rows, which a view follows far faster than a reset of a long list.
    void removeNames(const QSet<QString> &names);
    // Adds one row where the list's order puts it.
    void insertName(const QString &name, const FileUnit &unit = {});
    // The row of a listed name, -1 when it is not listed; a search, not a walk of the list.
    int rowOf(const QString &name) const;
    const QStringList &names() const { return m_names; }
    const QHash<QString, FileUnit> &units() const { return m_units; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_names;
    QHash<QString, FileUnit> m_units; // by name, those with more than one member
};

class BrowseContext;

// While one is alive, nothing read in the background changes the list: a command acts on
// entries by their places in it. What arrived meanwhile is applied when the last one ends.
class UpdateHold {
public:
    explicit UpdateHold(BrowseContext &context);
    ~UpdateHold();
    UpdateHold(const UpdateHold &) = delete;
    UpdateHold &operator=(const UpdateHold &) = delete;

private:
    BrowseContext &m_context;
};

// What the user browses: the files of one folder, the current file (the one with the focus) and
// the selection, which are separate, and the rules that choose the next current file after files
// left the list. The file list only draws it; selections made here raise no click. Files other
// programs add to the folder or take from it come and go in the list as they do.
class BrowseContext : public QObject {
    Q_OBJECT

public:
    explicit BrowseContext(QObject *parent = nullptr);

    QAbstractItemModel *model() { return &m_model; }
    QItemSelectionModel *selectionModel() { return &m_selection; }

    QString path() const { return m_path; }
    // Lists the folder. On failure the list is empty and keeps the new path. A folder that takes
    // longer than a moment to read is listed as its names arrive (see reread and readFailed).
    platform::MaybeFailure setPath(const QString &path);
    // Reads the folder again, now; afterwards nothing is selected and there is no current file.
    platform::MaybeFailure refresh();
    // Takes out entries of files the program itself moved away, without reading the folder;
    // afterwards nothing is selected and there is no current file, as after refresh.
    void removeNames(const QSet<QString> &names);
    // A file the program renamed: its entry goes, the new name comes in where the order puts it
    // when the list shows such files; as after refresh, nothing stays selected.
    void renameEntry(const QString &from, const QString &to);
    // After a command: makes sure what other programs changed meanwhile reaches the list, by a
    // read on a worker thread where the file system does not tell of changes. The list keeps its
    // current file and selection; reread says whether the current file went.
    void refreshInBackground();
    // Which kinds of files the list shows; takes effect with the next read of the folder.
    void setFileKinds(FileKinds kinds) { m_kinds = kinds; }
    FileKinds fileKinds() const { return m_kinds; }
    // Also camera RAW files, and pairs kept together; with the next read too.
    void setRawFiles(bool raw) { m_raw = raw; }
    bool rawFiles() const { return m_raw; }
    // A listed file shown as a picture: one of the kinds, or a RAW file's preview.
    bool isPicture(const QString &name) const;
    // The files that go wherever the listed one goes, in a fixed order.
    QStringList companions(const QString &name) const;

    int count() const { return int(m_model.names().size()); }
    QString name(int row) const { return m_model.names().at(row); }
    // -1 and "" when there is no current file.
    int currentRow() const;
    QString currentName() const;
    bool isSelected(int row) const;
    // The selected rows in list order: far quicker than asking every entry of a long list.
    QList<int> selectedRows() const;
    // Selecting a file also makes it the current file.
    void select(int row, bool selected = true);
    // Selects the file of that name and makes it current; false when it is not listed.
    bool selectName(const QString &name);

    // The next current file after files left the list or were copied (remembered: the current
    // row before), after the current file was deleted, or renamed; see FileListRules.h.
    void reselectAfterSort(int remembered, bool copyIsDefault);
    void reselectAfterDelete(int remembered);
    void reselectAfterRename(int remembered);
    // The file after the current one becomes the only one selected, wrapping to the first.
    void stepToNext();

signals:
    // A rule above chose the current file (after a sort possibly none), to be shown as a click
    // on it would show it.
    void currentChosen();
    // Names arrived, or other programs changed the folder. currentGone: the row the current file
    // had, which is no longer in the folder; -1 when it still is (or there was none).
    void reread(int currentGone);
    // A folder whose names were arriving could not be read to the end: the list is empty.
    void readFailed(const platform::Failure &failure);

private:
    friend class UpdateHold;
    enum class Read { Open, Now, Background };
    platform::MaybeFailure startRead(Read kind);
    void arrived(const Listing &listing);
    void apply(Listing listing);
    void applyReread(const QStringList &names, const QHash<QString, FileUnit> &units);
    void lookAgainAt(const QStringList &names);
    // Reads the folder again in the background: now, or once the command holding the list or the
    // read under way is over.
    void rereadSoon();
    // Whether a listing under way, or one held back, may have been read before the program's own
    // latest change.
    bool readMayPredate() const;
    void release();
    void choose(int row);

    FileListModel m_model;
    QItemSelectionModel m_selection{&m_model};
    QString m_path;
    FileKinds m_kinds = FileKinds::Classic;
    bool m_raw = false;

    FolderReader m_reader;
    platform::FolderWatch m_watch{this};
    Read m_reading = Read::Now; // what the newest read is for
    bool m_rereadWanted = false; // once the read under way is applied
    // What the program changed itself since the read under way began, which it may not have seen.
    QSet<QString> m_gone, m_came;
    int m_holds = 0;
    std::optional<Listing> m_heldListing;
    QStringList m_heldNames;
};

} // namespace browse

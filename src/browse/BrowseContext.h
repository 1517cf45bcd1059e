#pragma once

#include "browse/FileListRules.h"
#include "browse/FileUnits.h"
#include "platform/Failure.h"

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
    const QStringList &names() const { return m_names; }
    const QHash<QString, FileUnit> &units() const { return m_units; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_names;
    QHash<QString, FileUnit> m_units; // by name, those with more than one member
};

// What the user browses: the files of one folder, the current file (the one with the focus) and
// the selection, which are separate, and the rules that choose the next current file after files
// left the list. The file list only draws it; selections made here raise no click.
class BrowseContext : public QObject {
    Q_OBJECT

public:
    explicit BrowseContext(QObject *parent = nullptr);

    QAbstractItemModel *model() { return &m_model; }
    QItemSelectionModel *selectionModel() { return &m_selection; }

    QString path() const { return m_path; }
    // Lists the folder. On failure the list is empty and keeps the new path.
    platform::MaybeFailure setPath(const QString &path);
    // Reads the folder again; afterwards nothing is selected and there is no current file.
    platform::MaybeFailure refresh();
    // Takes out entries of files the program itself moved away, without reading the folder;
    // afterwards nothing is selected and there is no current file, as after refresh.
    void removeNames(const QSet<QString> &names);
    // A file the program renamed: its entry goes, the new name comes in where the order puts it
    // when the list shows such files; as after refresh, nothing stays selected.
    void renameEntry(const QString &from, const QString &to);
    // Reads the folder again on a worker thread, for what other programs changed meanwhile. The
    // list then keeps its current file and selection; reread says whether the current file went.
    void refreshInBackground();
    // A read under way in the background is not applied: a command is about to act on entries
    // by their places in the list, which must not move under it.
    void stopBackgroundRead() { ++m_generation; }
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
    // A read in the background changed the list. currentGone: the row the current file had,
    // which is no longer in the folder; -1 when it still is (or there was none).
    void reread(int currentGone);

private:
    void applyReread(const QStringList &names, const QHash<QString, FileUnit> &units);
    void choose(int row);

    FileListModel m_model;
    QItemSelectionModel m_selection{&m_model};
    // Every change of the list makes a read under way in the background out of date.
    quint64 m_generation = 0;
    QString m_path;
    FileKinds m_kinds = FileKinds::Classic;
    bool m_raw = false;
};

} // namespace browse

#pragma once

#include "browse/FileListRules.h"
#include "platform/Failure.h"

#include <QAbstractListModel>
#include <QListView>
#include <QSet>
#include <QStringList>

namespace browse {

// The names of one folder's pictures and movies, for a list view.
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(QStringList names);
    // Removes single rows, which a view follows far faster than a reset of a long list.
    void removeNames(const QSet<QString> &names);
    // Adds one row where the list's order puts it.
    void insertName(const QString &name);
    const QStringList &names() const { return m_names; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_names;
};

// The file list of a folder with several files selectable at once; its current item (the one
// with the focus) is separate from the selection.
class FileListBox : public QListView {
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // Lists the folder. On failure the list is empty and keeps the new path.
    platform::MaybeFailure setPath(const QString &path);
    // Reads the folder again; afterwards nothing is selected and there is no current item.
    platform::MaybeFailure Refresh();
    // Takes out entries of files the program itself moved away, without reading the folder;
    // afterwards nothing is selected and there is no current item, as after Refresh.
    void removeNames(const QSet<QString> &names);
    // A file the program renamed: its entry goes, the new name comes in where the order puts it
    // when the list shows such files; as after Refresh, nothing stays selected.
    void renameEntry(const QString &from, const QString &to);
    // Reads the folder again on a worker thread, for what other programs changed meanwhile. The
    // list then keeps its current file and selection; Reread says whether the current file went.
    void refreshInBackground();
    // A read under way in the background is not applied: a command is about to act on entries
    // by their places in the list, which must not move under it.
    void stopBackgroundRead() { ++m_generation; }
    // Which kinds of files the list shows; takes effect with the next read of the folder.
    void setFileKinds(FileKinds kinds) { m_kinds = kinds; }
    FileKinds fileKinds() const { return m_kinds; }

    int ListCount() const { return int(m_model.names().size()); }
    // The current item, -1 when there is none.
    int ListIndex() const;
    QString List(int index) const { return m_model.names().at(index); }
    bool Selected(int index) const;
    // The selected entries' indexes in list order: far quicker than asking every entry of a long list.
    QList<int> selectedRows() const;
    // Selecting an item also makes it the current item. Raises Click either way.
    void setSelected(int index, bool selected);
    // The name of the current item, "" when there is none.
    QString FileName() const;

signals:
    // The user clicked an item or moved the current item with the keyboard, or code set Selected.
    void Click();
    void DblClick();
    // A read in the background changed the list. currentGone: the index the current file had,
    // which is no longer in the folder; -1 when it still is (or there was none).
    void Reread(int currentGone);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void applyReread(const QStringList &names);

    FileListModel m_model;
    // Every change of the list makes a read under way in the background out of date.
    quint64 m_generation = 0;
    QString m_path;
    FileKinds m_kinds = FileKinds::Classic;
};

} // namespace browse

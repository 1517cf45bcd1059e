#pragma once

#include "browse/FileListRules.h"
#include "platform/Failure.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

namespace browse {

// The names of one folder's pictures and movies, for a list view.
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(QStringList names);
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
    // Which kinds of files the list shows; takes effect with the next read of the folder.
    void setFileKinds(FileKinds kinds) { m_kinds = kinds; }
    FileKinds fileKinds() const { return m_kinds; }

    int ListCount() const { return int(m_model.names().size()); }
    // The current item, -1 when there is none.
    int ListIndex() const;
    QString List(int index) const { return m_model.names().at(index); }
    bool Selected(int index) const;
    // Selecting an item also makes it the current item. Raises Click either way.
    void setSelected(int index, bool selected);
    // The name of the current item, "" when there is none.
    QString FileName() const;

signals:
    // The user clicked an item or moved the current item with the keyboard, or code set Selected.
    void Click();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    FileListModel m_model;
    QString m_path;
    FileKinds m_kinds = FileKinds::Classic;
};

} // namespace browse

#include "browse/FileListBox.h"

#include "browse/FileListRules.h"
#include "platform/Folders.h"

#include <QFutureWatcher>
#include <algorithm>
#include <QKeyEvent>
#include <QtConcurrent/QtConcurrentRun>

namespace browse {

void FileListModel::setNames(QStringList names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

void FileListModel::removeNames(const QSet<QString> &names)
{
    for (int row = int(m_names.size()) - 1; row >= 0 && !names.isEmpty(); --row) {
        if (!names.contains(m_names.at(row)))
            continue;
        beginRemoveRows({}, row, row);
        m_names.removeAt(row);
        endRemoveRows();
    }
}

void FileListModel::insertName(const QString &name)
{
    const int row = int(std::lower_bound(m_names.begin(), m_names.end(), name, comesBefore) - m_names.begin());
    beginInsertRows({}, row, row);
    m_names.insert(row, name);
    endInsertRows();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_names.size())
        return {};
    return m_names.at(index.row());
}

FileListBox::FileListBox(QWidget *parent)
    : QListView(parent)
{
    setModel(&m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QAbstractItemView::clicked, this, &FileListBox::Click);
    connect(this, &QAbstractItemView::doubleClicked, this, &FileListBox::DblClick);
}

platform::MaybeFailure FileListBox::setPath(const QString &path)
{
    m_path = path;
    return Refresh();
}

namespace {

struct ListedFolder {
    QStringList names;
    platform::MaybeFailure failure;
};

ListedFolder listFolder(const QString &path, FileKinds kinds)
{
    platform::FolderRead read = platform::readFolder(path, platform::EntryKind::File);
    ListedFolder listed{{}, read.failure};
    if (!read.failure) {
        for (platform::FolderEntry &entry : read.entries) {
            if (entry.kind == platform::EntryKind::File && isListedFileName(entry.name, kinds))
                listed.names.append(std::move(entry.name));
        }
        sortFileNames(listed.names);
    }
    return listed;
}

} // namespace

platform::MaybeFailure FileListBox::Refresh()
{
    ++m_generation;
    ListedFolder listed = listFolder(m_path, m_kinds);
    m_model.setNames(std::move(listed.names));
    return listed.failure;
}

void FileListBox::removeNames(const QSet<QString> &names)
{
    ++m_generation;
    selectionModel()->clear();
    m_model.removeNames(names);
}

void FileListBox::renameEntry(const QString &from, const QString &to)
{
    removeNames({from});
    if (isListedFileName(to, m_kinds))
        m_model.insertName(to);
}

void FileListBox::refreshInBackground()
{
    const quint64 generation = ++m_generation;
    auto *watcher = new QFutureWatcher<ListedFolder>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        // A folder that cannot be read is left to the next read that reports it.
        if (generation == m_generation && !watcher->result().failure)
            applyReread(watcher->result().names);
    });
    watcher->setFuture(QtConcurrent::run(listFolder, m_path, m_kinds));
}

void FileListBox::applyReread(const QStringList &names)
{
    if (names == m_model.names())
        return;
    const int current = ListIndex();
    const QString currentName = current >= 0 ? List(current) : QString();
    QSet<QString> selected;
    for (int i = 0; i < ListCount(); ++i) {
        if (Selected(i))
            selected.insert(List(i));
    }
    m_model.setNames(names);
    int kept = -1;
    for (int i = 0; i < ListCount(); ++i) {
        if (selected.contains(List(i)))
            selectionModel()->select(m_model.index(i), QItemSelectionModel::Select);
        if (List(i) == currentName)
            kept = i;
    }
    if (kept >= 0)
        selectionModel()->setCurrentIndex(m_model.index(kept), QItemSelectionModel::NoUpdate);
    emit Reread(!currentName.isEmpty() && kept < 0 ? current : -1);
}

int FileListBox::ListIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool FileListBox::Selected(int index) const
{
    return selectionModel()->isRowSelected(index, QModelIndex());
}

QList<int> FileListBox::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FileListBox::setSelected(int index, bool selected)
{
    const QModelIndex item = m_model.index(index);
    if (selected) {
        selectionModel()->setCurrentIndex(item, QItemSelectionModel::Select);
        scrollTo(item);
    } else {
        selectionModel()->select(item, QItemSelectionModel::Deselect);
    }
    emit Click();
}

QString FileListBox::FileName() const
{
    const int current = ListIndex();
    return current < 0 ? QString() : List(current);
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex() != before)
        emit Click();
}

} // namespace browse

#include "browse/FileListBox.h"

#include "browse/FileListRules.h"
#include "platform/Folders.h"

#include <QKeyEvent>

namespace browse {

void FileListModel::setNames(QStringList names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
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

platform::MaybeFailure FileListBox::Refresh()
{
    platform::FolderRead read = platform::readFolder(m_path, platform::EntryKind::File);
    QStringList names;
    if (!read.failure) {
        for (platform::FolderEntry &entry : read.entries) {
            if (entry.kind == platform::EntryKind::File && isListedFileName(entry.name, m_kinds))
                names.append(std::move(entry.name));
        }
        sortFileNames(names);
    }
    m_model.setNames(std::move(names));
    return read.failure;
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

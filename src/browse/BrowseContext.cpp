#include "browse/BrowseContext.h"

#include "platform/Folders.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace browse {

void FileListModel::setNames(QStringList names, QHash<QString, FileUnit> units)
{
    beginResetModel();
    m_names = std::move(names);
    m_units = std::move(units);
    endResetModel();
}

void FileListModel::removeNames(const QSet<QString> &names)
{
    for (int row = int(m_names.size()) - 1; row >= 0 && !names.isEmpty(); --row) {
        if (!names.contains(m_names.at(row)))
            continue;
        beginRemoveRows({}, row, row);
        m_units.remove(m_names.at(row));
        m_names.removeAt(row);
        endRemoveRows();
    }
}

void FileListModel::insertName(const QString &name, const FileUnit &unit)
{
    const int row = int(std::lower_bound(m_names.begin(), m_names.end(), name, comesBefore) - m_names.begin());
    beginInsertRows({}, row, row);
    m_names.insert(row, name);
    if (unit.members().size() > 1)
        m_units.insert(name, unit);
    endInsertRows();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    if (role == RawEndingRole)
        return m_units.value(m_names.at(index.row())).rawEnding();
    return role == Qt::DisplayRole ? QVariant(m_names.at(index.row())) : QVariant();
}

namespace {

struct ListedFolder {
    QStringList names;
    QHash<QString, FileUnit> units;
    platform::MaybeFailure failure;
};

ListedFolder listFolder(const QString &path, FileKinds kinds, bool raw)
{
    platform::FolderRead read = platform::readFolder(path, platform::EntryKind::File);
    ListedFolder listed{{}, {}, read.failure};
    if (read.failure)
        return listed;
    if (!raw) {
        for (platform::FolderEntry &entry : read.entries) {
            if (entry.kind == platform::EntryKind::File && isListedFileName(entry.name, kinds))
                listed.names.append(std::move(entry.name));
        }
        sortFileNames(listed.names);
        return listed;
    }
    QStringList files;
    for (platform::FolderEntry &entry : read.entries) {
        if (entry.kind == platform::EntryKind::File)
            files.append(std::move(entry.name));
    }
    for (FileUnit &unit : fileUnits(files, kinds, true)) {
        listed.names.append(unit.name);
        if (unit.members().size() > 1)
            listed.units.insert(unit.name, std::move(unit));
    }
    return listed;
}

} // namespace

BrowseContext::BrowseContext(QObject *parent)
    : QObject(parent)
{
}

platform::MaybeFailure BrowseContext::setPath(const QString &path)
{
    m_path = path;
    return refresh();
}

platform::MaybeFailure BrowseContext::refresh()
{
    ++m_generation;
    ListedFolder listed = listFolder(m_path, m_kinds, m_raw);
    m_model.setNames(std::move(listed.names), std::move(listed.units));
    return listed.failure;
}

void BrowseContext::removeNames(const QSet<QString> &names)
{
    ++m_generation;
    m_selection.clear();
    m_model.removeNames(names);
}

void BrowseContext::renameEntry(const QString &from, const QString &to)
{
    FileUnit unit = m_model.units().value(from);
    removeNames({from});
    if (!isListedFileName(to, m_kinds) && !(m_raw && isRawName(to)))
        return;
    if (!unit.name.isEmpty()) {
        unit.raw = unit.raw.isEmpty() ? QString() : renamedMember(unit.raw, from, to);
        for (QString &sidecar : unit.sidecars)
            sidecar = renamedMember(sidecar, from, to);
        unit.name = to;
    }
    m_model.insertName(to, unit);
}

bool BrowseContext::isPicture(const QString &name) const
{
    return isPictureName(name, m_kinds) || (m_raw && isRawName(name));
}

QStringList BrowseContext::companions(const QString &name) const
{
    const auto unit = m_model.units().find(name);
    return unit == m_model.units().end() ? QStringList() : unit->members().mid(1);
}

void BrowseContext::refreshInBackground()
{
    const quint64 generation = ++m_generation;
    auto *watcher = new QFutureWatcher<ListedFolder>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        // A folder that cannot be read is left to the next read that reports it.
        if (generation == m_generation && !watcher->result().failure)
            applyReread(watcher->result().names, watcher->result().units);
    });
    watcher->setFuture(QtConcurrent::run(listFolder, m_path, m_kinds, m_raw));
}

void BrowseContext::applyReread(const QStringList &names, const QHash<QString, FileUnit> &units)
{
    if (names == m_model.names() && units == m_model.units())
        return;
    const int current = currentRow();
    const QString currentFile = currentName();
    QSet<QString> selected;
    for (const int row : selectedRows())
        selected.insert(name(row));
    m_model.setNames(names, units);
    int kept = -1;
    for (int row = 0; row < count(); ++row) {
        if (selected.contains(name(row)))
            m_selection.select(m_model.index(row), QItemSelectionModel::Select);
        if (name(row) == currentFile)
            kept = row;
    }
    if (kept >= 0)
        m_selection.setCurrentIndex(m_model.index(kept), QItemSelectionModel::NoUpdate);
    emit reread(!currentFile.isEmpty() && kept < 0 ? current : -1);
}

int BrowseContext::currentRow() const
{
    const QModelIndex current = m_selection.currentIndex();
    return current.isValid() ? current.row() : -1;
}

QString BrowseContext::currentName() const
{
    const int current = currentRow();
    return current < 0 ? QString() : name(current);
}

bool BrowseContext::isSelected(int row) const
{
    return m_selection.isRowSelected(row, QModelIndex());
}

QList<int> BrowseContext::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_selection.selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void BrowseContext::select(int row, bool selected)
{
    const QModelIndex item = m_model.index(row);
    if (selected)
        m_selection.setCurrentIndex(item, QItemSelectionModel::Select);
    else
        m_selection.select(item, QItemSelectionModel::Deselect);
}

bool BrowseContext::selectName(const QString &name)
{
    const qsizetype row = name.isEmpty() ? -1 : m_model.names().indexOf(name);
    if (row >= 0)
        select(int(row));
    return row >= 0;
}

void BrowseContext::reselectAfterSort(int remembered, bool copyIsDefault)
{
    if (const int next = reselectedIndex(remembered, count(), copyIsDefault); next >= 0)
        select(next);
    emit currentChosen();
}

void BrowseContext::reselectAfterDelete(int remembered)
{
    choose(indexAfterDelete(remembered, count()));
}

void BrowseContext::reselectAfterRename(int remembered)
{
    choose(indexAfterRename(remembered, count()));
}

void BrowseContext::stepToNext()
{
    const int current = currentRow();
    if (current >= 0)
        select(current, false);
    select(current + 1 < count() ? current + 1 : 0);
    emit currentChosen();
}

void BrowseContext::choose(int row)
{
    if (row < 0)
        return;
    select(row);
    emit currentChosen();
}

} // namespace browse

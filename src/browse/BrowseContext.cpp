#include "browse/BrowseContext.h"

#include "platform/Folders.h"

#include <QElapsedTimer>
#include <QEventLoop>
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
    for (const QString &name : names) {
        const int row = rowOf(name);
        if (row < 0)
            continue;
        beginRemoveRows({}, row, row);
        m_units.remove(name);
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

int FileListModel::rowOf(const QString &name) const
{
    const auto found = std::lower_bound(m_names.cbegin(), m_names.cend(), name, comesBefore);
    return found != m_names.cend() && *found == name ? int(found - m_names.cbegin()) : -1;
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

// A folder still arriving shows more names ever less often: each showing sorts and merges all
// that came, which a long folder must not pay for too often. Past some thousands of names, one
// showing a second is enough: on a fast disk such a folder is complete before the first.
constexpr int kFirstShowingMs = 100;
constexpr int kLongestBetweenShowingsMs = 250;
constexpr qsizetype kMostNamesShownOften = 20000;
constexpr int kBetweenShowingsOfManyMs = 1000;
// More changed names than this are looked at by reading the whole folder again.
constexpr qsizetype kMostNamesLookedAt = 64;

// The names a folder's files make in the list. Names are those read so far: in list order
// without RAW files; with them, all files, in the order read, as pairs need all of them.
Listing listingOf(QStringList &names, QStringList fresh, FileKinds kinds, bool raw)
{
    Listing listing;
    if (!raw) {
        mergeFileNames(names, std::move(fresh));
        listing.names = names;
        return listing;
    }
    names += fresh;
    for (FileUnit &unit : fileUnits(names, kinds, true)) {
        listing.names.append(unit.name);
        if (unit.members().size() > 1)
            listing.units.insert(unit.name, std::move(unit));
    }
    return listing;
}

bool keeps(const QString &name, FileKinds kinds, bool raw)
{
    return raw || isListedFileName(name, kinds);
}

// Reads on from where the stream is, on a worker thread, handing over what was read so far
// from time to time when showing, and the complete listing at the end.
void readOn(platform::FolderStream &stream, QStringList names, FileKinds kinds, bool raw, bool showing,
            const std::atomic_bool &abandoned, const FolderReader::Publish &publish)
{
    QStringList fresh;
    QElapsedTimer timer;
    timer.start();
    qint64 lastShowing = 0;
    const auto showingDue = [&] {
        const qint64 now = timer.elapsed();
        if (names.size() + fresh.size() > kMostNamesShownOften)
            return now - lastShowing >= kBetweenShowingsOfManyMs;
        return now >= kFirstShowingMs && now - lastShowing >= std::min<qint64>(lastShowing, kLongestBetweenShowingsMs);
    };
    stream.read([&](platform::FolderEntry &&entry) {
        if (abandoned)
            return false;
        if (keeps(entry.name, kinds, raw))
            fresh.append(std::move(entry.name));
        // The clock is asked now and then: this runs for each of perhaps a million entries.
        if (showing && fresh.size() % 64 == 1 && showingDue()) {
            publish(listingOf(names, std::exchange(fresh, {}), kinds, raw));
            lastShowing = timer.elapsed();
        }
        return true;
    });
    if (abandoned)
        return;
    Listing listing = stream.failure() ? Listing() : listingOf(names, std::move(fresh), kinds, raw);
    listing.failure = stream.failure();
    listing.complete = true;
    publish(std::move(listing));
}

} // namespace

UpdateHold::UpdateHold(BrowseContext &context)
    : m_context(context)
{
    ++m_context.m_holds;
}

UpdateHold::~UpdateHold()
{
    if (--m_context.m_holds == 0)
        m_context.release();
}

BrowseContext::BrowseContext(QObject *parent)
    : QObject(parent)
{
    connect(&m_reader, &FolderReader::arrived, this, &BrowseContext::arrived);
    connect(&m_watch, &platform::FolderWatch::namesChanged, this, &BrowseContext::lookAgainAt);
    connect(&m_watch, &platform::FolderWatch::rereadNeeded, this, [this] {
        // A share's re-read each second is not queued behind a read still under way.
        if (m_holds > 0 || !m_reader.running())
            rereadSoon();
    });
}

platform::MaybeFailure BrowseContext::setPath(const QString &path)
{
    m_path = path;
    m_watch.watch(path);
    return startRead(Read::Open);
}

platform::MaybeFailure BrowseContext::refresh()
{
    return startRead(Read::Now);
}

platform::MaybeFailure BrowseContext::startRead(Read kind)
{
    m_reader.abandon();
    m_gone.clear();
    m_came.clear();
    m_heldListing.reset();
    m_rereadWanted = false;
    m_reading = kind;
    const FileKinds kinds = m_kinds;
    const bool raw = m_raw;
    if (kind == Read::Background) {
        m_reader.start([path = m_path, kinds, raw](const std::atomic_bool &abandoned, const FolderReader::Publish &publish) {
            platform::FolderStream stream(path, platform::EntryKind::File);
            readOn(stream, {}, kinds, raw, false, abandoned, publish);
        });
        return std::nullopt;
    }
    QStringList names;
    const auto collect = [&](platform::FolderEntry &&entry) {
        if (keeps(entry.name, kinds, raw))
            names.append(std::move(entry.name));
    };
    platform::MaybeFailure failure;
    std::shared_ptr<platform::FolderStream> rest = readStart(m_path, platform::EntryKind::File, collect, failure);
    if (rest && kind == Read::Now) {
        // The caller expects the whole folder on return; a slow one is read on a worker thread
        // while the window paints, and input waits, as during a long copy.
        std::optional<Listing> listed;
        QEventLoop waiting;
        const QMetaObject::Connection arrival = connect(&m_reader, &FolderReader::arrived, &waiting, [&](const Listing &whole) {
            listed = whole;
            waiting.quit();
        });
        const QMetaObject::Connection overtaken = connect(&m_reader, &FolderReader::abandoned, &waiting, &QEventLoop::quit);
        QStringList sorted;
        listingOf(sorted, std::move(names), kinds, raw);
        m_reader.start([rest, sorted, kinds, raw](const std::atomic_bool &abandoned, const FolderReader::Publish &publish) {
            readOn(*rest, sorted, kinds, raw, false, abandoned, publish);
        });
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
        disconnect(arrival);
        disconnect(overtaken);
        if (!listed) // a newer read took over meanwhile
            return std::nullopt;
        m_model.setNames(listed->failure ? QStringList() : std::move(listed->names), std::move(listed->units));
        if (m_rereadWanted) // other programs changed the folder while it was read
            startRead(Read::Background);
        return listed->failure;
    }
    if (failure && !rest) {
        m_model.setNames({});
        return failure;
    }
    // What came so far is shown, and a slow folder's other names follow from a worker thread;
    // pairs only once every name is in, as a part could pair a picture with the wrong file.
    QStringList shown;
    Listing listing = listingOf(shown, std::move(names), kinds, raw);
    if (rest && raw)
        listing = Listing();
    m_model.setNames(std::move(listing.names), std::move(listing.units));
    if (rest) {
        m_reader.start([rest, shown, kinds, raw](const std::atomic_bool &abandoned, const FolderReader::Publish &publish) {
            readOn(*rest, shown, kinds, raw, !raw, abandoned, publish);
        });
    }
    return std::nullopt;
}

void BrowseContext::removeNames(const QSet<QString> &names)
{
    if (readMayPredate())
        m_gone.unite(names);
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
    if (readMayPredate())
        m_came.insert(to);
    m_model.insertName(to, unit);
}

bool BrowseContext::readMayPredate() const
{
    return m_reader.running() || m_heldListing.has_value();
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
    // Where the file system tells of changes, they arrive by name (lookAgainAt).
    if (!m_watch.notifies())
        rereadSoon();
}

void BrowseContext::rereadSoon()
{
    if (m_holds > 0 || m_reader.running())
        m_rereadWanted = true;
    else
        startRead(Read::Background);
}

void BrowseContext::arrived(const Listing &listing)
{
    if (m_reading == Read::Now) // taken by the wait in startRead
        return;
    if (m_holds > 0)
        m_heldListing = listing;
    else
        apply(listing);
}

void BrowseContext::apply(Listing listing)
{
    if (listing.failure) {
        // A folder being opened is reported; a failed read in the background is left to the next
        // read that reports it.
        if (m_reading != Read::Open)
            return;
        m_model.setNames({});
        emit readFailed(*listing.failure);
        return;
    }
    // The read may have begun before the program moved or renamed files itself; one more read,
    // begun after, settles what it saw. With pairs the list stays as it is until then: a read
    // across a rename may have seen some files of a unit under their old names, and some under
    // their new ones.
    const bool ownChanges = !m_gone.isEmpty() || !m_came.isEmpty();
    if (m_raw && ownChanges) {
        if (listing.complete)
            startRead(Read::Background);
        return;
    }
    for (const QString &name : std::as_const(m_gone)) {
        listing.names.removeOne(name);
        listing.units.remove(name);
    }
    for (const QString &name : std::as_const(m_came)) {
        if (const int row = m_model.rowOf(name); row >= 0 && !listing.names.contains(name)) {
            listing.names.append(name);
            if (m_model.units().contains(name))
                listing.units.insert(name, m_model.units().value(name));
        }
    }
    if (!m_came.isEmpty())
        sortFileNames(listing.names);
    const bool settle = listing.complete && (ownChanges || m_rereadWanted);
    applyReread(listing.names, listing.units);
    if (settle)
        startRead(Read::Background);
}

void BrowseContext::applyReread(const QStringList &names, const QHash<QString, FileUnit> &units)
{
    if (names == m_model.names() && units == m_model.units()) {
        emit reread(-1); // the names a folder being opened showed so far were all it has
        return;
    }
    const int current = currentRow();
    const QString currentFile = currentName();
    QStringList selected;
    for (const int row : selectedRows())
        selected << name(row);
    m_model.setNames(names, units);
    for (const QString &name : std::as_const(selected)) {
        if (const int row = m_model.rowOf(name); row >= 0)
            m_selection.select(m_model.index(row), QItemSelectionModel::Select);
    }
    const int kept = currentFile.isEmpty() ? -1 : m_model.rowOf(currentFile);
    if (kept >= 0)
        m_selection.setCurrentIndex(m_model.index(kept), QItemSelectionModel::NoUpdate);
    emit reread(!currentFile.isEmpty() && kept < 0 ? current : -1);
}

void BrowseContext::lookAgainAt(const QStringList &names)
{
    if (m_holds > 0) {
        m_heldNames += names;
        return;
    }
    // Pairs depend on their neighbours, and many names are cheaper read in one pass.
    if (m_raw || names.size() > kMostNamesLookedAt || m_reader.running()) {
        rereadSoon();
        return;
    }
    QStringList came;
    QSet<QString> gone;
    for (const QString &name : names) {
        const bool listed = isListedFileName(name, m_kinds) &&
                            platform::entryKind(platform::joinPath(m_path, name)) == platform::EntryKind::File;
        if (listed && m_model.rowOf(name) < 0)
            came << name;
        else if (!listed && m_model.rowOf(name) >= 0)
            gone << name;
    }
    if (came.isEmpty() && gone.isEmpty())
        return;
    // New files first: a current file that went is then known by the row of the file after it.
    for (const QString &name : std::as_const(came))
        m_model.insertName(name);
    const QString currentFile = currentName();
    const int currentGoneAt = gone.contains(currentFile) ? currentRow() : -1;
    m_model.removeNames(gone);
    emit reread(currentGoneAt);
}

void BrowseContext::release()
{
    if (std::optional<Listing> held = std::exchange(m_heldListing, std::nullopt))
        apply(std::move(*held));
    if (const QStringList names = std::exchange(m_heldNames, {}); !names.isEmpty())
        lookAgainAt(names);
    if (m_rereadWanted && !m_reader.running()) {
        m_rereadWanted = false;
        startRead(Read::Background);
    }
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
    const int row = name.isEmpty() ? -1 : m_model.rowOf(name);
    if (row >= 0)
        select(row);
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

#include "browse/DirListBox.h"

#include "browse/FileListRules.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Volumes.h"

#include <QStyle>
#include <QStyledItemDelegate>

namespace browse {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 12;

// Indents each entry by its depth, so the ancestors read as a path going down.
class FolderDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(index.data(kDepthRole).toInt() * kIndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

// Hidden folders (a leading dot) are left out.
void keepShown(QStringList &subfolders, platform::FolderEntry &&entry)
{
    if (!entry.name.startsWith(QLatin1Char('.')))
        subfolders.append(std::move(entry.name));
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString lastComponent(const QString &path)
{
    return path == QLatin1String("/") ? path : path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

DirListBox::DirListBox(const QString &startFolder, QWidget *parent)
    : QListWidget(parent)
    , m_path(withoutTrailingSlash(startFolder))
{
    setUniformItemSizes(true);
    setItemDelegate(new FolderDelegate(this));
    connect(&m_subfolders, &FolderReader::arrived, this, [this](const Listing &listing) { showSubfolders(listing.names); });
    connect(this, &QListWidget::itemActivated, this, &DirListBox::openEntry);
    m_lastFolderOnVolume.insert(platform::volumeOf(m_path), m_path);
    showFolder();
}

platform::MaybeFailure DirListBox::setPath(const QString &path)
{
    const QString folder = withoutTrailingSlash(path);
    const QString volume = platform::volumeOf(folder);
    if (!platform::volumeIsReady(volume))
        return platform::Failure::deviceUnavailable();
    if (platform::MaybeFailure failure = platform::checkFolder(folder))
        return failure;
    const bool changed = folder != m_path;
    m_path = folder;
    m_lastFolderOnVolume.insert(volume, folder);
    showFolder();
    if (changed)
        emit Change();
    return std::nullopt;
}

platform::MaybeFailure DirListBox::setDrive(const QString &mountPoint)
{
    if (!platform::volumeIsReady(mountPoint))
        return platform::Failure::deviceUnavailable();
    const QString last = m_lastFolderOnVolume.value(mountPoint);
    if (!last.isEmpty() && !platform::checkFolder(last))
        return setPath(last);
    return setPath(mountPoint);
}

void DirListBox::showFolder()
{
    m_subfolders.abandon(); // a slow folder's subfolders would land under this one
    clear();
    QStringList chain;
    for (QString folder = m_path; !folder.isEmpty(); folder = platform::parentFolder(folder))
        chain.prepend(folder);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (qsizetype depth = 0; depth < chain.size(); ++depth)
        addEntry(chain.at(depth), int(depth), openIcon);
    setCurrentRow(int(chain.size()) - 1);

    QStringList subfolders;
    platform::MaybeFailure failure; // an unreadable folder just shows no subfolders
    const std::shared_ptr<platform::FolderStream> rest = readStart(
        m_path, platform::EntryKind::Folder,
        [&subfolders](platform::FolderEntry &&entry) { keepShown(subfolders, std::move(entry)); }, failure);
    if (!rest) {
        sortFileNames(subfolders);
        showSubfolders(subfolders);
        return;
    }
    // A slow share's subfolders come once all are read, in order.
    m_subfolders.start([rest, subfolders](const std::atomic_bool &abandoned, const FolderReader::Publish &publish) {
        Listing listing{subfolders, {}, {}, true};
        rest->read([&](platform::FolderEntry &&entry) {
            keepShown(listing.names, std::move(entry));
            return !abandoned;
        });
        sortFileNames(listing.names);
        publish(std::move(listing));
    });
}

void DirListBox::showSubfolders(const QStringList &names)
{
    const int depth = count(); // one below the current folder, the last of its chain
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const QString &name : names)
        addEntry(platform::joinPath(m_path, name), depth, closedIcon);
}

void DirListBox::addEntry(const QString &path, int depth, const QIcon &icon)
{
    auto *item = new QListWidgetItem(icon, lastComponent(path), this);
    item->setData(kPathRole, path);
    item->setData(kDepthRole, depth);
    item->setToolTip(path);
}

void DirListBox::openEntry(QListWidgetItem *item)
{
    if (const platform::MaybeFailure failure = setPath(item->data(kPathRole).toString()))
        platform::showFailure(*failure);
}

} // namespace browse

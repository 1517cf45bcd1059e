#pragma once

#include "browse/FolderReader.h"
#include "platform/Failure.h"

#include <QHash>
#include <QListWidget>

namespace browse {

// The folder list: the current folder under its ancestors, then its subfolders, which come when
// read (later on a slow share). Activating an entry (double click or Enter) opens it.
class DirListBox : public QListWidget {
    Q_OBJECT

public:
    // Starts in the given folder without raising Change.
    explicit DirListBox(const QString &startFolder, QWidget *parent = nullptr);

    // The current folder, without a trailing "/" except for the root.
    QString Path() const { return m_path; }
    // Opens a folder. DeviceUnavailable when its volume is not ready, PathNotFound when it does
    // not exist; the list then keeps its folder.
    platform::MaybeFailure setPath(const QString &path);
    // Opens the folder last shown on the volume during this run, else the volume's mount point.
    platform::MaybeFailure setDrive(const QString &mountPoint);

signals:
    // The current folder changed, by the user or by code.
    void Change();

private:
    void showFolder();
    void showSubfolders(const QStringList &names);
    void addEntry(const QString &path, int depth, const QIcon &icon);
    void openEntry(QListWidgetItem *item);

    QString m_path;
    QHash<QString, QString> m_lastFolderOnVolume;
    FolderReader m_subfolders;
};

} // namespace browse

#pragma once

#include "platform/Failure.h"

#include <QObject>
#include <functional>

namespace browse {

class DirListBox;
class DriveListBox;

// Pairs a drive list with a folder list: choosing a drive opens its folder. A drive that cannot
// be opened is reported, and the drive list may fall back to the root volume, once.
class FolderPicker : public QObject {
    Q_OBJECT

public:
    // Tells the user why the chosen drive could not be opened; true to fall back to the root volume.
    using DriveFailure = std::function<bool(const platform::Failure &)>;

    // "Drive not ready" for a volume that is not ready, which falls back; any other failure in
    // the standard error box, and the folder list stays where it was.
    static bool reportDriveNotReady(const platform::Failure &failure);

    FolderPicker(DriveListBox &drives, DirListBox &folders, QObject *parent,
                 DriveFailure onFailure = reportDriveNotReady);

    // From now on the drive list follows the folder list to its volume, as the main window's does.
    void followFolders() { m_followFolders = true; }

signals:
    // The folder list opened another folder, by the user or by code.
    void folderChanged();

private:
    void driveChanged();
    void folderOpened();

    DriveListBox &m_drives;
    DirListBox &m_folders;
    DriveFailure m_onFailure;
    bool m_followFolders = false;
};

} // namespace browse

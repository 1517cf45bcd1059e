#include "browse/FolderPicker.h"

#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "platform/MessageBox.h"
#include "platform/Volumes.h"

namespace browse {

bool FolderPicker::reportDriveNotReady(const platform::Failure &failure)
{
    if (failure.kind != platform::FailureKind::DeviceUnavailable) {
        platform::showFailure(failure);
        return false;
    }
    platform::message(QStringLiteral("Drive not ready"), platform::MessageIcon::Critical);
    return true;
}

FolderPicker::FolderPicker(DriveListBox &drives, DirListBox &folders, QObject *parent, DriveFailure onFailure)
    : QObject(parent)
    , m_drives(drives)
    , m_folders(folders)
    , m_onFailure(std::move(onFailure))
{
    connect(&drives, &DriveListBox::Change, this, &FolderPicker::driveChanged);
    connect(&folders, &DirListBox::Change, this, &FolderPicker::folderOpened);
}

void FolderPicker::driveChanged()
{
    const platform::MaybeFailure failure = m_folders.setDrive(m_drives.Drive());
    // The fall-back is tried once: the root volume itself not being ready ends it.
    if (failure && m_onFailure(*failure) && m_drives.Drive() != platform::kRootVolume)
        m_drives.setDrive(platform::kRootVolume); // runs this handler again for the root volume
}

void FolderPicker::folderOpened()
{
    if (m_followFolders) {
        // That is no choice of a drive.
        const QSignalBlocker quiet(m_drives);
        m_drives.setDrive(m_folders.Path());
    }
    emit folderChanged();
}

} // namespace browse

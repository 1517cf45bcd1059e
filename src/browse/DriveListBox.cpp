#include "browse/DriveListBox.h"

#include "platform/Volumes.h"

namespace browse {

DriveListBox::DriveListBox(const QString &startFolder, QWidget *parent)
    : QComboBox(parent)
{
    loadVolumes(platform::volumeOf(startFolder));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Change);
}

QString DriveListBox::Drive() const
{
    return currentData().toString();
}

void DriveListBox::setDrive(const QString &path)
{
    const int index = findData(platform::volumeOf(path));
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveListBox::showPopup()
{
    loadVolumes(Drive());
    QComboBox::showPopup();
}

void DriveListBox::loadVolumes(const QString &chosen)
{
    const QSignalBlocker quiet(this);
    clear();
    for (const platform::Volume &volume : platform::mountedVolumes()) {
        QString text = volume.mountPoint;
        if (!volume.label.isEmpty() && volume.label != volume.mountPoint)
            text += QStringLiteral("  [%1]").arg(volume.label);
        addItem(text, volume.mountPoint);
    }
    setCurrentIndex(std::max(0, findData(chosen)));
}

} // namespace browse

#pragma once

#include <QComboBox>

namespace browse {

// The mounted volumes, each shown by its mount point and label.
class DriveListBox : public QComboBox {
    Q_OBJECT

public:
    // Starts on the volume that holds the folder, without raising Change.
    explicit DriveListBox(const QString &startFolder, QWidget *parent = nullptr);

    // The mount point of the chosen volume.
    QString Drive() const;
    // Chooses the volume that holds path; raises Change when that is another volume.
    void setDrive(const QString &path);

signals:
    void Change();

protected:
    // Volumes come and go (a stick plugged in): the list is read again whenever it opens.
    void showPopup() override;

private:
    void loadVolumes(const QString &chosen);
};

} // namespace browse

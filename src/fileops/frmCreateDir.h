#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace browse {
class DirListBox;
class DriveListBox;
} // namespace browse

// Makes a new folder while an area is being edited, and moves the area editor's folder and
// drive lists into it. Opened with open(); it deletes itself when it closes.
class frmCreateDir : public QDialog {
    Q_OBJECT

public:
    frmCreateDir(browse::DirListBox &areaFolders, browse::DriveListBox &areaDrives, QWidget *parent);

    browse::DirListBox *Dir1;
    browse::DriveListBox *Drive1;
    QLabel *lblName;
    QLineEdit *txtName;
    QPushButton *cmdCreate;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void txtName_Change();
    void cmdCreate_Click();

    browse::DirListBox &m_areaFolders;
    browse::DriveListBox &m_areaDrives;
};

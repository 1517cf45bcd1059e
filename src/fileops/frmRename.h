#pragma once

#include "platform/Failure.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace fileops {
class UndoJournal;
}

namespace browse {
class DirListBox;
class FileListBox;
} // namespace browse

// Gives the file list's current file a new name. Modeless, but the main window is disabled
// while it is open.
class frmRename : public QDialog {
    Q_OBJECT

public:
    // Renames through the journal, so the rename can be undone.
    frmRename(browse::FileListBox &files, const browse::DirListBox &folders, fileops::UndoJournal &journal,
              QWidget *mainWindow);

    QLabel *Picture1;
    QLabel *Label1;
    QLineEdit *txtNewFilename;
    QPushButton *cmdRename;
    QPushButton *cmdCancel;

public slots:
    void done(int result) override;

private:
    void cmdRename_Click();
    void reportFailure(const platform::Failure &failure, const QString &newPath);

    browse::FileListBox &m_files;
    const browse::DirListBox &m_folders;
    fileops::UndoJournal &m_journal;
    QWidget *m_mainWindow;
};

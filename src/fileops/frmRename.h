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
class BrowseContext;
}

// Gives the file list's current file a new name. No other window takes input while it is open,
// and the main window shows itself disabled.
class frmRename : public QDialog {
    Q_OBJECT

public:
    // Renames the file that is current now, whatever becomes current later, through the journal,
    // so the rename can be undone.
    frmRename(browse::BrowseContext &files, fileops::UndoJournal &journal, QWidget *mainWindow);

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

    browse::BrowseContext &m_files;
    fileops::UndoJournal &m_journal;
    const QString m_folder;
    const QString m_oldName;
    const int m_row; // of the file in the list
    QWidget *m_mainWindow;
};

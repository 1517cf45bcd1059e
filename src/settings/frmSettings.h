#pragma once

#include "settings/SettingsFile.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace settings {
class AreaEditor;
class CatalogueHost;
class GroupEditor;
} // namespace settings

// The settings dialog. Its controls edit a copy of the options. Each time it reads the options
// files (at start-up, when it opens and once it has closed) it hands the options over; the
// program works with those, so with what was saved.
class frmSettings : public QDialog {
    Q_OBJECT

public:
    frmSettings(settings::CatalogueHost &catalogue, QWidget *parent = nullptr);

    settings::Options options() const;
    void setOptions(const settings::Options &options);

    // Loads the options files into the controls.
    void ReadSettings();

    QTabWidget *SSTab1;
    settings::GroupEditor *FrameCatalogSettings;
    settings::AreaEditor *FrameSubjectSettings;
    QPushButton *cmdExitSettings;

    QGroupBox *frmFile;
    QLabel *picRecycleBin;
    QCheckBox *chkDeleteRecycle;
    QCheckBox *chkMoreKinds;
    QCheckBox *chkRawFiles;
    QRadioButton *optCopyDefault;
    QRadioButton *optMoveDefault;
    QGroupBox *frmPrompt;
    QCheckBox *chkPromptDelete;
    QCheckBox *chkPromptCopy;
    QCheckBox *chkPromptMove;
    QGroupBox *frmAreaAutoname;
    QCheckBox *chkAutoname;
    QLabel *lblAreaSeparator;
    QLineEdit *txtAreaSeparator;
    QLabel *lblNrOfDirToStripp;
    QLineEdit *txtNrOfDir;

    QGroupBox *frmExit;
    QPushButton *cmdExit;
    QPushButton *cmdExitSave;
    QLabel *lblExit;

signals:
    // The options as read from the files; defaultActionRead: the options file got as far as the
    // default action, which the main window shows in its status bar.
    void optionsRead(const settings::Options &options, bool defaultActionRead);

public slots:
    // Every way of closing the dialog ends here: the controls go back to their designed
    // defaults, as for a dialog that is unloaded and created anew on its next use.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createGroupAndAreaTab(settings::CatalogueHost &catalogue);
    QWidget *createOptionsTab();
    QWidget *createExitTab();
    void cmdExitSave_Click();
    void txtNrOfDir_Change();
};

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

// The settings dialog. Its option controls are where the program keeps its options: every
// operation reads them at the moment it needs them.
class frmSettings : public QDialog {
    Q_OBJECT

public:
    frmSettings(settings::CatalogueHost &catalogue, QWidget *parent = nullptr);

    settings::Options options() const;
    void setOptions(const settings::Options &options);
    settings::MoreOptions moreOptions() const;

    // Loads the options file into the controls.
    void ReadSettings();

    QTabWidget *SSTab1;
    settings::GroupEditor *FrameCatalogSettings;
    settings::AreaEditor *FrameSubjectSettings;
    QPushButton *cmdExitSettings;

    QGroupBox *frmFile;
    QLabel *picRecycleBin;
    QCheckBox *chkDeleteRecycle;
    QCheckBox *chkMoreKinds;
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
    // The options file named the default action; the main window shows it in its status bar.
    void defaultActionRead(bool moveIsDefault);
    // The options were read: whether the file list also shows today's kinds of files.
    void moreKindsRead(bool moreKinds);

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

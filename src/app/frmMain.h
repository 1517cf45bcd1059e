#pragma once

#include "app/CurrentFileView.h"
#include "app/MainActions.h"
#include "app/MainCommands.h"
#include "app/MainLayout.h"
#include "catalogue/AreaRecord.h"
#include "fileops/UndoJournal.h"
#include "settings/CatalogueHost.h"
#include "settings/SettingsFile.h"

#include <QMainWindow>
#include <QSet>
#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QStatusBar;
class frmImage;
class frmQuickGroup;
class frmSettings;
class frmShMovie;
class frmShPics;

namespace browse {
class BrowseContext;
class DirListBox;
class DriveListBox;
class FileListBox;
} // namespace browse

// The main window: the file, drive and folder lists on the left, the group selector and the
// areas of the chosen group on the right. Its menus, toolbar and keys run the commands of
// app::MainCommands.
class frmMain : public QMainWindow,
                public app::MainActions,
                private settings::CatalogueHost,
                private app::CommandHost {
    Q_OBJECT

public:
    frmMain(frmImage &viewer, frmQuickGroup &palette, QWidget *parent = nullptr);

    // The start-up sequence: splash, catalogue, window placement, folder and options.
    void Form_Load();

    void ReadGroupIni();
    void ReadAreaIni();
    // Lists the areas of the group chosen in cmbCatalog.
    void cmbCatalog_Click();
    // Reads the file list again after files left it or were copied, and selects the file the
    // user will want next.
    void RefreshAndReselect() override;
    // The same after files the program itself moved away: they leave the list at once, and the
    // folder is read again in the background for what other programs changed.
    void dropAndReselect(const QSet<QString> &gone);
    void File1_Click() override;
    void File1_DblClick() { m_fileView->open(); }
    // Opens the picture window on the active file path when the file list has a current file.
    void Image1_Click() { m_fileView->openPicture(); }
    // Sends every selected file to the double-clicked area of the chosen group.
    void lstArea_DblClick() override;
    void mnuSettings_Click() { m_commands->mnuSettings_Click(); }
    void mnuUndo_Click() { m_commands->mnuUndo_Click(); }
    void mnuRedo_Click() { m_commands->mnuRedo_Click(); }
    void mnuExit_Click() { m_commands->mnuExit_Click(); }
    void mnuRename_Click() { m_commands->mnuRename_Click(); }
    void mnuDelete_Click() { m_commands->mnuDelete_Click(); }
    void mnuHelpTopics_Click() { m_commands->mnuHelpTopics_Click(); }
    void mnuAbout_Click() { m_commands->mnuAbout_Click(); }
    // Runs the command of the toolbar button with that key.
    void Toolbar1_ButtonClick(const QString &key) { m_commands->Toolbar1_ButtonClick(key); }
    // Digits 1 to 9 choose a group, the space bar steps to the next file. True when the key
    // chose a group.
    bool Form_KeyPress(int key) { return m_commands->Form_KeyPress(key); }
    // Sends the selected files to the area of the chosen group whose key this is, as a double
    // click on it would; false when no area has the key.
    bool sortByKey(QKeyCombination key) { return m_commands->sortByKey(key); }
    void DeleteCurrentFile() { m_commands->DeleteCurrentFile(); }
    void SetWallpaper() { m_commands->SetWallpaper(); }

    frmSettings &settings() override { return *m_settings; }
    // The options the program works with: those the settings dialog last read from the options
    // files, or those a test sets. The status bar shows the default action unless the options
    // file did not get as far as naming it.
    void setOptions(const settings::Options &options, bool defaultActionRead = true);
    const settings::Options &options() const override { return m_options; }
    // The full path of the picture last previewed or the file last double-clicked; "" when
    // the last file clicked was no picture.
    QString activeFilePath() const { return m_fileView->activeFilePath(); }
    frmShPics *pictureWindow() const { return m_fileView->pictureWindow(); }
    frmShMovie *movieWindow() const { return m_fileView->movieWindow(); }

    browse::FileListBox *File1;
    browse::DriveListBox *Drive1;
    browse::DirListBox *Dir1;
    QComboBox *cmbCatalog;
    QListWidget *lstArea;
    QStatusBar *StatusBar1;
    QLabel *statusPanel1;
    QLabel *statusPanel2;

    catalogue::AreaArchive lstAreaArchive;

signals:
    // The main window was closed or unloaded: the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList groupNames() const override;
    std::optional<QString> shownGroup() const override;
    void showGroup(const QString &group) override;
    // Of both hosts: the area editor and the commands work on the same areas.
    const catalogue::AreaArchive &areaArchive() const override { return lstAreaArchive; }
    void reloadAreas() override;
    void reloadCatalogue(const std::optional<QString> &groupToShow) override;
    // Chooses the first group of that name, or none, without listing its areas yet.
    void chooseGroup(const std::optional<QString> &group);

    frmImage &viewer() override { return m_viewer; }
    browse::BrowseContext &browsing() override { return *m_browse; }
    fileops::UndoJournal &journal() override { return *m_journal; }
    QString shownFolder() const override;
    QComboBox &groupSelector() override { return *cmbCatalog; }
    QListWidget &areaList() override { return *lstArea; }

    void createControls();
    void placeWindows();
    void Form_Resize();
    void showCompanions();
    void placeControls();
    void lblGroup_Click(int index);
    void Dir1_Change();
    void showFileListStatus() override;
    // After files left the list or were copied: the file that followed the one at remembered
    // becomes current and is shown.
    void reselect(int remembered);
    void File1_Reread(int currentGone);
    void showFileKinds(const settings::MoreOptions &more);
    bool copyIsDefault() const;
    QString fullPathOf(const QString &name) const;

    frmImage &m_viewer;
    frmQuickGroup &m_palette;
    frmSettings *m_settings;
    settings::Options m_options;
    QWidget *m_client;
    // Made after the client area, so the file list that draws it is deleted first.
    browse::BrowseContext *m_browse;
    app::MainControls m_controls = app::designedMainControls();
    std::unique_ptr<fileops::UndoJournal> m_journal;
    // Made after the journal, so the rename dialog that writes to it ends first.
    std::unique_ptr<app::MainCommands> m_commands;
    // Last, so the picture and movie windows end before the rest of the window.
    std::unique_ptr<app::CurrentFileView> m_fileView;
};

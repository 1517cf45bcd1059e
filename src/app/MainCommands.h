#pragma once

#include "browse/BrowseContext.h"
#include "catalogue/AreaRecord.h"

#include <QKeyCombination>
#include <QObject>
#include <QPointer>
#include <optional>

class QComboBox;
class QListWidget;
class QMainWindow;
class QWidget;
class frmImage;
class frmRename;
class frmSettings;

namespace fileops {
class UndoJournal;
struct UndoResult;
} // namespace fileops
namespace settings {
struct Options;
}

namespace app {

struct MainActions;

// What the main window's commands need of the window.
class CommandHost {
public:
    virtual frmSettings &settings() = 0;
    virtual const settings::Options &options() const = 0;
    virtual frmImage &viewer() = 0;
    virtual browse::BrowseContext &browsing() = 0;
    virtual fileops::UndoJournal &journal() = 0;
    // The folder the folder list shows.
    virtual QString shownFolder() const = 0;
    virtual QComboBox &groupSelector() = 0;
    virtual QListWidget &areaList() = 0;
    virtual const catalogue::AreaArchive &areaArchive() const = 0;
    // Shows the current file, as a click on it does.
    virtual void File1_Click() = 0;
    virtual void showFileListStatus() = 0;
    virtual void RefreshAndReselect() = 0;
    // Sends the selected files to the chosen area, as a double click on it does.
    virtual void lstArea_DblClick() = 0;

protected:
    ~CommandHost() = default;
};

// The main window's menus, toolbar and keys, and the commands they run: delete, undo and redo,
// rename, wallpaper, settings, help and exit.
class MainCommands : public QObject {
    Q_OBJECT

public:
    // Makes the menus in window's menu bar and the toolbar in client, filling actions.
    MainCommands(CommandHost &host, MainActions &actions, QMainWindow &window, QWidget &client);
    ~MainCommands() override;

    void mnuSettings_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuExit_Click();
    void mnuRename_Click();
    void mnuDelete_Click();
    void mnuHelpTopics_Click();
    void mnuAbout_Click();
    void Toolbar1_ButtonClick(const QString &key);
    bool Form_KeyPress(int key);
    bool sortByKey(QKeyCombination key);
    void DeleteCurrentFile();
    void SetWallpaper();
    // The undo and redo entries say what they would do, and are off when there is nothing to do.
    void updateUndoActions();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createToolbar(QWidget &client);
    void btnAddArea_Click();
    void ShellDeleteFile(const QString &name);
    // Undoes (back) or redoes a command.
    void takeJournalStep(bool back);
    void showUndoResult(const fileops::UndoResult &result, const QString &refusalHeading);
    QString fullPathOf(const QString &name) const;

    CommandHost &m_host;
    MainActions &m_actions;
    QMainWindow &m_window;
    browse::BrowseContext &m_browse;
    fileops::UndoJournal &m_journal;
    frmImage &m_viewer;
    QPointer<frmRename> m_renameDialog;
    std::optional<browse::UpdateHold> m_renameHold;
    bool m_journalFailureShown = false;
};

} // namespace app

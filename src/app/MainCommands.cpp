// The main window's menus, toolbar, keys and the commands they run.

#include "app/frmMain.h"

#include "about/frmAbout.h"
#include "app/BackgroundTransfer.h"
#include "app/InputGuard.h"
#include "browse/BrowseContext.h"
#include "browse/DirListBox.h"
#include "catalogue/AreaKeys.h"
#include "fileops/frmRename.h"
#include "platform/Desktop.h"
#include "platform/FileDeletion.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Naming.h"
#include "platform/Wallpaper.h"
#include "settings/AreaEditor.h"
#include "settings/frmSettings.h"
#include "viewers/frmImage.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

using platform::named;

namespace {

QIcon commandIcon(const char *themeName, const char *bundled)
{
    // The desktop's own icon where its theme has one, ours otherwise.
    return QIcon::fromTheme(QLatin1String(themeName),
                            QIcon(QStringLiteral(":/images/%1.png").arg(QLatin1String(bundled))));
}

} // namespace

void frmMain::createMenus()
{
    mnuFile = named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    mnuRename = named(mnuFile->addAction(QStringLiteral("&Rename file")), "mnuRename");
    mnuRename->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuDelete = named(mnuFile->addAction(QStringLiteral("Delete file")), "mnuDelete");
    mnuDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    // A held key would act on one file after another, each shown only for a moment.
    mnuDelete->setAutoRepeat(false);
    mnuSplitt = named(mnuFile->addSeparator(), "mnuSplitt");
    mnuExit = named(mnuFile->addAction(QStringLiteral("E&xit")), "mnuExit");
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuEdit = named(menuBar()->addMenu(QStringLiteral("&Edit")), "mnuEdit");
    mnuUndo = named(mnuEdit->addAction(QStringLiteral("Undo")), "mnuUndo");
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = named(mnuEdit->addAction(QStringLiteral("Redo")), "mnuRedo");
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    mnuUndo->setAutoRepeat(false);
    mnuRedo->setAutoRepeat(false);
    mnuSettings = named(menuBar()->addAction(QStringLiteral("&Settings")), "mnuSettings");
    mnuHelp = named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    mnuHelpTopics = named(mnuHelp->addAction(QStringLiteral("Marrowby Shelfmaster &Help")), "mnuHelpTopics");
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("&About Shelfmaster")), "mnuAbout");

    connect(mnuRename, &QAction::triggered, this, &frmMain::mnuRename_Click);
    connect(mnuUndo, &QAction::triggered, this, &frmMain::mnuUndo_Click);
    connect(mnuRedo, &QAction::triggered, this, &frmMain::mnuRedo_Click);
    connect(mnuDelete, &QAction::triggered, this, &frmMain::mnuDelete_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(mnuSettings, &QAction::triggered, this, &frmMain::mnuSettings_Click);
    connect(mnuHelpTopics, &QAction::triggered, this, &frmMain::mnuHelpTopics_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::createToolbar()
{
    Toolbar1 = named(new QToolBar(m_client), "Toolbar1");
    Toolbar1->setMovable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const auto button = [this](const char *key, const QString &tip, const QIcon &icon) {
        QAction *action = named(Toolbar1->addAction(icon, tip), key);
        action->setToolTip(tip);
        return action;
    };
    btnExit = button("btnExit", QStringLiteral("Exit"), commandIcon("application-exit", "exit"));
    btnSettings = button("btnSettings", QStringLiteral("Settings"), commandIcon("preferences-system", "settings"));
    btnDesktop = button("btnDesktop", QStringLiteral("Put image to desktop as a wallpaper"),
                        commandIcon("preferences-desktop-wallpaper", "wallpaper"));
    Toolbar1->addSeparator();
    btnDelete = button("btnDelete", QStringLiteral("Delete"), commandIcon("edit-delete", "delete"));
    Toolbar1->addSeparator();
    btnAddArea = button("btnAddArea", QStringLiteral("Add area"), commandIcon("folder-new", "addarea"));
    Toolbar1->addSeparator();
    btnHelp = button("btnHelp", QStringLiteral("About Shelfmaster"), commandIcon("help-browser", "help"));
    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction *action) { Toolbar1_ButtonClick(action->objectName()); });
}

void frmMain::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("btnExit"))
        mnuExit_Click();
    else if (key == QLatin1String("btnSettings"))
        mnuSettings_Click();
    else if (key == QLatin1String("btnHelp"))
        mnuHelpTopics_Click();
    else if (key == QLatin1String("btnDelete"))
        DeleteCurrentFile();
    else if (key == QLatin1String("btnAddArea"))
        btnAddArea_Click();
    else if (key == QLatin1String("btnDesktop"))
        SetWallpaper();
}

void frmMain::btnAddArea_Click()
{
    m_settings->ReadSettings();
    m_settings->FrameSubjectSettings->btnAreaAdd_Click();
    // Modal; the options are read again when it closes.
    m_settings->show();
}

void frmMain::mnuAbout_Click()
{
    auto *about = new frmAbout(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void frmMain::mnuHelpTopics_Click()
{
    if (const platform::MaybeFailure failure =
            platform::openUrl(QUrl::fromLocalFile(platform::helpDocumentPath())))
        platform::showFailure(*failure);
}

bool frmMain::Form_KeyPress(int key)
{
    if (key >= '1' && key <= '9') {
        const int group = key - '1';
        if (cmbCatalog->count() <= group)
            return false;
        cmbCatalog->setCurrentIndex(group);
        return true;
    }
    if (key == ' ' && m_browse->count() != 0)
        m_browse->stepToNext(); // shows the next file
    return false;
}

bool frmMain::sortByKey(QKeyCombination key)
{
    const catalogue::AreaRecord *area = catalogue::areaWithKey(lstAreaArchive, cmbCatalog->currentText(), key);
    if (!area || cmbCatalog->currentIndex() < 0)
        return false;
    const QList<QListWidgetItem *> items = lstArea->findItems(area->name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (items.isEmpty())
        return false;
    // The user sees where the file goes.
    lstArea->setCurrentItem(items.first());
    lstArea_DblClick();
    return true;
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    // The window sees every key before the control that has the focus, which still gets it,
    // unless the key chose a group or sorted the current file.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        QWidget *window = widget->window();
        const QWidget *first = window->focusWidget() ? window->focusWidget() : window;
        if (widget == first && (window == this || window == &m_viewer)) {
            const auto *press = static_cast<QKeyEvent *>(event);
            if (!press->isAutoRepeat() && sortByKey(catalogue::pressedKey(press->key(), press->modifiers())))
                return true;
            // A digit that chose a group must not also move the focused list to a name
            // starting with that digit: the next sort would send another file.
            if (window == this && press->text().size() == 1 && Form_KeyPress(press->text().at(0).unicode()))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::mnuDelete_Click()
{
    DeleteCurrentFile();
}

void frmMain::DeleteCurrentFile()
{
    const QString name = m_browse->currentName();
    if (name.isEmpty() || m_browse->count() == 0 || (m_browse->currentRow() == 0 && !m_browse->isSelected(0)))
        return;
    // Keys pressed meanwhile would act on the next file, not yet shown.
    const app::InputGuard guard;
    // The question waits in an event loop: the list must not be replaced meanwhile.
    m_browse->stopBackgroundRead();
    const int current = m_browse->currentRow();
    ShellDeleteFile(fullPathOf(name));
    if (platform::entryExists(fullPathOf(name))) { // declined or failed: the same file again
        m_browse->select(current);
        File1_Click();
        return;
    }
    // The deleted file leaves the list at once; the folder is read again in the background.
    m_browse->removeNames({name});
    m_browse->refreshInBackground();
    showFileListStatus();
    if (m_browse->count() == 0) {
        btnDelete->setEnabled(false);
        m_viewer.clearPicture();
    }
    m_browse->reselectAfterDelete(current); // shows the file chosen
}

void frmMain::ShellDeleteFile(const QString &path)
{
    const bool toTrash = m_options.deleteRecycle == 1;
    const bool confirm = m_options.promptDelete == 1;
    const bool declined = confirm && !platform::confirmDeletion(path, toTrash);
    // Only a delete to the trash can be undone.
    const platform::MaybeFailure failure =
        declined ? std::nullopt : toTrash ? m_journal->trash(path) : platform::deleteForGood(path);
    if (declined || failure)
        platform::message(QStringLiteral("Error occurred!"), platform::MessageIcon::Critical);
    updateUndoActions();
}

void frmMain::updateUndoActions()
{
    mnuUndo->setText(m_journal->undoText());
    mnuUndo->setEnabled(m_journal->canUndo());
    mnuRedo->setText(m_journal->redoText());
    mnuRedo->setEnabled(m_journal->canRedo());
    if (const std::optional<platform::Failure> failure = m_journal->writeFailure(); failure && !m_journalFailureShown) {
        m_journalFailureShown = true;
        platform::message(QStringLiteral("The undo journal cannot be written, so undo will not cover everything: ") +
                              failure->text(),
                          platform::MessageIcon::Information);
    }
}

void frmMain::mnuUndo_Click()
{
    takeJournalStep(true);
}

void frmMain::mnuRedo_Click()
{
    takeJournalStep(false);
}

void frmMain::takeJournalStep(bool back)
{
    const app::InputGuard guard;
    // Moves across file systems are long copies: they run as a sort's transfers do, with their
    // progress and Cancel.
    const QList<fileops::JournalStep> &steps = back ? m_journal->doneSteps() : m_journal->undoneSteps();
    // The files of the step that are still to be taken.
    const int files = steps.isEmpty() ? 0 : int(std::ranges::count(steps.last().files, back, &fileops::JournalFile::atTarget));
    app::BackgroundTransfer transfers(this, files, back ? m_journal->undoText() : m_journal->redoText());
    const fileops::TransferRunner run = [&](const QString &name, const fileops::TransferWork &work) {
        return transfers.run(name, work);
    };
    const fileops::UndoResult result = back ? m_journal->undo(run) : m_journal->redo(run);
    showUndoResult(result, back ? QStringLiteral("Undo could not put these files back:")
                                : QStringLiteral("Redo could not move these files again:"));
    if (result.cancelled)
        platform::message((back ? QStringLiteral("Undo") : QStringLiteral("Redo")) +
                              QStringLiteral(" was cancelled: the files not yet moved stay where they are."),
                          platform::MessageIcon::Information);
}

void frmMain::showUndoResult(const fileops::UndoResult &result, const QString &refusalHeading)
{
    // The first file back in the folder on show becomes the current file.
    const QString shown = Dir1->Path();
    const auto here = std::ranges::find_if(result.restored, [&](const QString &path) {
        return platform::parentFolder(path) == shown;
    });
    if (here == result.restored.end()) {
        RefreshAndReselect();
    } else {
        if (const platform::MaybeFailure failure = m_browse->refresh())
            platform::showFailure(*failure);
        showFileListStatus();
        if (m_browse->selectName(here->mid(here->lastIndexOf(QLatin1Char('/')) + 1)))
            File1_Click();
    }
    if (!result.refusals.isEmpty())
        platform::message(refusalHeading + QLatin1Char('\n') + result.refusals.join(QLatin1Char('\n')),
                          platform::MessageIcon::Information);
    updateUndoActions();
}

void frmMain::mnuRename_Click()
{
    // Without a current file there is nothing to rename.
    if (m_browse->count() == 0 || m_browse->currentRow() < 0 ||
        (m_browse->currentRow() == 0 && !m_browse->isSelected(0)))
        return;
    m_browse->stopBackgroundRead(); // the dialog renames the current entry
    m_renameDialog = new frmRename(*m_browse, *m_journal, this);
    connect(m_renameDialog, &QDialog::finished, this, &frmMain::updateUndoActions);
    m_renameDialog->show();
    m_renameDialog->txtNewFilename->setFocus();
    setEnabled(false);
}

void frmMain::SetWallpaper()
{
    using platform::MessageIcon;
    const QString name = m_browse->currentName();
    const QString noFile = QStringLiteral("There is no file selected or the path is empty");
    if (name.isEmpty()) {
        platform::message(noFile, MessageIcon::Critical);
        return;
    }
    const QString last3 = name.right(3);
    const QString last4 = name.right(4);
    if (last3 == QLatin1String("GIF") || last3 == QLatin1String("gif") || last3 == QLatin1String("JPG") ||
        last3 == QLatin1String("jpg") || last4 == QLatin1String("JPEG") || last4 == QLatin1String("jpeg")) {
        platform::message(QStringLiteral("The image is not a valid bitmap, it must be a *.BMP file"),
                          MessageIcon::Critical);
        return;
    }
    // Always joined with "/", also in the root.
    const QString path = Dir1->Path() + QLatin1Char('/') + name;
    if (platform::message(QStringLiteral("Do you want to put %1 as wallpaper?").arg(path), MessageIcon::Question,
                          platform::MessageButtons::OkCancel) != platform::MessageAnswer::Ok) {
        platform::message(QStringLiteral("The operation was canceled"), MessageIcon::Information);
        return;
    }
    if (platform::setDesktopWallpaper(path))
        platform::message(path + QStringLiteral(" is now a wallpaper"), MessageIcon::Information);
    else
        platform::message(QStringLiteral("Error changing wallpaper, %1 does not exist or is an invalid wallpaper")
                              .arg(path),
                          MessageIcon::Critical);
}

// The main window's menus, toolbar, keys and the commands they run.

#include "app/MainCommands.h"

#include "about/frmAbout.h"
#include "app/BackgroundTransfer.h"
#include "app/InputGuard.h"
#include "app/MainActions.h"
#include "browse/BrowseContext.h"
#include "catalogue/AreaKeys.h"
#include "fileops/UndoJournal.h"
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
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
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

namespace app {

MainCommands::MainCommands(CommandHost &host, MainActions &actions, QMainWindow &window, QWidget &client)
    : m_host(host)
    , m_actions(actions)
    , m_window(window)
    , m_browse(host.browsing())
    , m_journal(host.journal())
    , m_viewer(host.viewer())
{
    createMenus();
    createToolbar(client);
    qApp->installEventFilter(this); // the window sees keys before its controls do
}

MainCommands::~MainCommands()
{
    // A window of its own; it ends with the program, before the journal it renames through.
    delete m_renameDialog;
}

void MainCommands::createMenus()
{
    m_actions.mnuFile = named(m_window.menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    m_actions.mnuRename = named(m_actions.mnuFile->addAction(QStringLiteral("&Rename file")), "mnuRename");
    m_actions.mnuRename->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_actions.mnuDelete = named(m_actions.mnuFile->addAction(QStringLiteral("Delete file")), "mnuDelete");
    m_actions.mnuDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    // A held key would act on one file after another, each shown only for a moment.
    m_actions.mnuDelete->setAutoRepeat(false);
    m_actions.mnuSplitt = named(m_actions.mnuFile->addSeparator(), "mnuSplitt");
    m_actions.mnuExit = named(m_actions.mnuFile->addAction(QStringLiteral("E&xit")), "mnuExit");
    m_actions.mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_actions.mnuEdit = named(m_window.menuBar()->addMenu(QStringLiteral("&Edit")), "mnuEdit");
    m_actions.mnuUndo = named(m_actions.mnuEdit->addAction(QStringLiteral("Undo")), "mnuUndo");
    m_actions.mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_actions.mnuRedo = named(m_actions.mnuEdit->addAction(QStringLiteral("Redo")), "mnuRedo");
    m_actions.mnuRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_actions.mnuUndo->setAutoRepeat(false);
    m_actions.mnuRedo->setAutoRepeat(false);
    m_actions.mnuSettings = named(m_window.menuBar()->addAction(QStringLiteral("&Settings")), "mnuSettings");
    m_actions.mnuHelp = named(m_window.menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    m_actions.mnuHelpTopics =
        named(m_actions.mnuHelp->addAction(QStringLiteral("Marrowby Shelfmaster &Help")), "mnuHelpTopics");
    m_actions.mnuAbout = named(m_actions.mnuHelp->addAction(QStringLiteral("&About Shelfmaster")), "mnuAbout");

    connect(m_actions.mnuRename, &QAction::triggered, this, &MainCommands::mnuRename_Click);
    connect(m_actions.mnuUndo, &QAction::triggered, this, &MainCommands::mnuUndo_Click);
    connect(m_actions.mnuRedo, &QAction::triggered, this, &MainCommands::mnuRedo_Click);
    connect(m_actions.mnuDelete, &QAction::triggered, this, &MainCommands::mnuDelete_Click);
    connect(m_actions.mnuExit, &QAction::triggered, this, &MainCommands::mnuExit_Click);
    connect(m_actions.mnuSettings, &QAction::triggered, this, &MainCommands::mnuSettings_Click);
    connect(m_actions.mnuHelpTopics, &QAction::triggered, this, &MainCommands::mnuHelpTopics_Click);
    connect(m_actions.mnuAbout, &QAction::triggered, this, &MainCommands::mnuAbout_Click);
}

void MainCommands::createToolbar(QWidget &client)
{
    m_actions.Toolbar1 = named(new QToolBar(&client), "Toolbar1");
    m_actions.Toolbar1->setMovable(false);
    m_actions.Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const auto button = [this](const char *key, const QString &tip, const QIcon &icon) {
        QAction *action = named(m_actions.Toolbar1->addAction(icon, tip), key);
        action->setToolTip(tip);
        return action;
    };
    m_actions.btnExit = button("btnExit", QStringLiteral("Exit"), commandIcon("application-exit", "exit"));
    m_actions.btnSettings =
        button("btnSettings", QStringLiteral("Settings"), commandIcon("preferences-system", "settings"));
    m_actions.btnDesktop = button("btnDesktop", QStringLiteral("Put image to desktop as a wallpaper"),
                        commandIcon("preferences-desktop-wallpaper", "wallpaper"));
    m_actions.Toolbar1->addSeparator();
    m_actions.btnDelete = button("btnDelete", QStringLiteral("Delete"), commandIcon("edit-delete", "delete"));
    m_actions.Toolbar1->addSeparator();
    m_actions.btnAddArea = button("btnAddArea", QStringLiteral("Add area"), commandIcon("folder-new", "addarea"));
    m_actions.Toolbar1->addSeparator();
    m_actions.btnHelp = button("btnHelp", QStringLiteral("About Shelfmaster"), commandIcon("help-browser", "help"));
    connect(m_actions.Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction *action) { Toolbar1_ButtonClick(action->objectName()); });
}

void MainCommands::Toolbar1_ButtonClick(const QString &key)
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

void MainCommands::mnuSettings_Click()
{
    // Modal; when it closes, the options are read back from the file.
    m_host.settings().show();
}

void MainCommands::mnuExit_Click()
{
    const platform::MessageAnswer answer = platform::showMessage(
        {QStringLiteral("Exit"), QStringLiteral("Are you sure that you wan't to quit?"),
         platform::MessageIcon::Question, platform::MessageButtons::YesNo,
         platform::MessageAnswer::Yes});
    if (answer == platform::MessageAnswer::Yes)
        m_window.close();
}

void MainCommands::btnAddArea_Click()
{
    m_host.settings().ReadSettings();
    m_host.settings().FrameSubjectSettings->btnAreaAdd_Click();
    // Modal; the options are read again when it closes.
    m_host.settings().show();
}

void MainCommands::mnuAbout_Click()
{
    auto *about = new frmAbout(&m_window);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainCommands::mnuHelpTopics_Click()
{
    if (const platform::MaybeFailure failure =
            platform::openUrl(QUrl::fromLocalFile(platform::helpDocumentPath())))
        platform::showFailure(*failure);
}

bool MainCommands::Form_KeyPress(int key)
{
    if (key >= '1' && key <= '9') {
        const int group = key - '1';
        QComboBox &groups = m_host.groupSelector();
        if (groups.count() <= group)
            return false;
        groups.setCurrentIndex(group);
        return true;
    }
    if (key == ' ' && m_browse.count() != 0)
        m_browse.stepToNext(); // shows the next file
    return false;
}

bool MainCommands::sortByKey(QKeyCombination key)
{
    const QComboBox &groups = m_host.groupSelector();
    const catalogue::AreaRecord *area = catalogue::areaWithKey(m_host.areaArchive(), groups.currentText(), key);
    if (!area || groups.currentIndex() < 0)
        return false;
    QListWidget &areas = m_host.areaList();
    const QList<QListWidgetItem *> items = areas.findItems(area->name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (items.isEmpty())
        return false;
    // The user sees where the file goes.
    areas.setCurrentItem(items.first());
    m_host.lstArea_DblClick();
    return true;
}

bool MainCommands::eventFilter(QObject *watched, QEvent *event)
{
    // The window sees every key before the control that has the focus, which still gets it,
    // unless the key chose a group or sorted the current file.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        QWidget *window = widget->window();
        const QWidget *first = window->focusWidget() ? window->focusWidget() : window;
        if (widget == first && (window == &m_window || window == &m_viewer)) {
            const auto *press = static_cast<QKeyEvent *>(event);
            if (!press->isAutoRepeat() && sortByKey(catalogue::pressedKey(press->key(), press->modifiers())))
                return true;
            // A digit that chose a group must not also move the focused list to a name
            // starting with that digit: the next sort would send another file.
            if (window == &m_window && press->text().size() == 1 && Form_KeyPress(press->text().at(0).unicode()))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void MainCommands::mnuDelete_Click()
{
    DeleteCurrentFile();
}

void MainCommands::DeleteCurrentFile()
{
    const QString name = m_browse.currentName();
    if (name.isEmpty() || m_browse.count() == 0 || (m_browse.currentRow() == 0 && !m_browse.isSelected(0)))
        return;
    // Keys pressed meanwhile would act on the next file, not yet shown.
    const InputGuard guard;
    // The question waits in an event loop: the list must not change meanwhile.
    const browse::UpdateHold hold(m_browse);
    const int current = m_browse.currentRow();
    ShellDeleteFile(name);
    if (platform::entryExists(fullPathOf(name))) { // declined or failed: the same file again
        m_browse.selectName(name);
        m_host.File1_Click();
        return;
    }
    // The deleted file leaves the list at once; the folder is read again in the background.
    m_browse.removeNames({name});
    m_browse.refreshInBackground();
    m_host.showFileListStatus();
    if (m_browse.count() == 0) {
        m_actions.btnDelete->setEnabled(false);
        m_viewer.clearPicture();
    }
    m_browse.reselectAfterDelete(current); // shows the file chosen
}

void MainCommands::ShellDeleteFile(const QString &name)
{
    const bool toTrash = m_host.options().deleteRecycle == 1;
    const bool confirm = m_host.options().promptDelete == 1;
    // The files that go with it go too (a pair's RAW file, the editors' files), and the question
    // names them.
    const QStringList companions = m_browse.companions(name);
    const QString shown = companions.isEmpty() ? fullPathOf(name)
                                               : fullPathOf(name) + QStringLiteral(" (and ") +
                                                     companions.join(QStringLiteral(", ")) + QLatin1Char(')');
    const bool declined = confirm && !platform::confirmDeletion(shown, toTrash);
    const QStringList names = QStringList{name} + companions;
    QStringList unit;
    for (const QString &member : names)
        unit << fullPathOf(member);
    // Only a delete to the trash can be undone. A file of the unit that another program took
    // away is missed before any goes.
    const bool whole = std::ranges::all_of(unit, platform::entryExists);
    platform::MaybeFailure failure;
    QStringList deleted; // for good, of a unit that could not go whole
    if (!declined && !whole) {
        failure = platform::Failure::fileNotFound();
    } else if (!declined && toTrash) {
        failure = m_journal.trash(unit);
    } else if (!declined) {
        const platform::UnitDeletion deletion = platform::deleteForGood(unit);
        failure = deletion.failure;
        deleted = deletion.deleted;
    }
    // Files that went, and files no longer under their names: in the trash or renamed beside.
    QStringList gone, left;
    bool moved = false;
    for (qsizetype i = 0; whole && failure && i < unit.size(); ++i) {
        const bool here = platform::entryExists(unit[i]);
        (deleted.contains(unit[i]) || (toTrash && !here) ? gone : left) << names[i];
        moved = moved || (!here && !deleted.contains(unit[i]));
    }
    if (!gone.isEmpty() || moved) {
        // Part of the unit went: the message says which, and the folder is read again, so that
        // the list no longer counts the files gone in its units.
        const QString deleted = gone.isEmpty() ? QString() : QStringLiteral(" Deleted: %1.").arg(gone.join(QStringLiteral(", ")));
        platform::message(QStringLiteral("Error occurred!%1 Still here: %2. %3")
                              .arg(deleted, left.join(QStringLiteral(", ")), failure->text()),
                          platform::MessageIcon::Critical);
        if (const platform::MaybeFailure reread = m_browse.refresh())
            platform::showFailure(*reread);
    } else if (declined || failure) {
        platform::message(QStringLiteral("Error occurred!"), platform::MessageIcon::Critical);
    }
    updateUndoActions();
}

void MainCommands::updateUndoActions()
{
    m_actions.mnuUndo->setText(m_journal.undoText());
    m_actions.mnuUndo->setEnabled(m_journal.canUndo());
    m_actions.mnuRedo->setText(m_journal.redoText());
    m_actions.mnuRedo->setEnabled(m_journal.canRedo());
    if (const std::optional<platform::Failure> failure = m_journal.writeFailure(); failure && !m_journalFailureShown) {
        m_journalFailureShown = true;
        platform::message(QStringLiteral("The undo journal cannot be written, so undo will not cover everything: ") +
                              failure->text(),
                          platform::MessageIcon::Information);
    }
}

void MainCommands::mnuUndo_Click()
{
    takeJournalStep(true);
}

void MainCommands::mnuRedo_Click()
{
    takeJournalStep(false);
}

void MainCommands::takeJournalStep(bool back)
{
    const InputGuard guard;
    // Moves across file systems are long copies: they run as a sort's transfers do, with their
    // progress and Cancel.
    const QList<fileops::JournalStep> &steps = back ? m_journal.doneSteps() : m_journal.undoneSteps();
    // The files of the step that are still to be taken.
    const int files = steps.isEmpty() ? 0 : int(std::ranges::count(steps.last().files, back, &fileops::JournalFile::atTarget));
    BackgroundTransfer transfers(&m_window, files, back ? m_journal.undoText() : m_journal.redoText());
    const fileops::TransferRunner run = [&](const QString &name, const fileops::TransferWork &work) {
        return transfers.run(name, work);
    };
    const fileops::UndoResult result = back ? m_journal.undo(run) : m_journal.redo(run);
    showUndoResult(result, back ? QStringLiteral("Undo could not put these files back:")
                                : QStringLiteral("Redo could not move these files again:"));
    if (result.cancelled)
        platform::message((back ? QStringLiteral("Undo") : QStringLiteral("Redo")) +
                              QStringLiteral(" was cancelled: the files not yet moved stay where they are."),
                          platform::MessageIcon::Information);
}

void MainCommands::showUndoResult(const fileops::UndoResult &result, const QString &refusalHeading)
{
    // The first file back in the folder on show becomes the current file.
    const QString shown = m_host.shownFolder();
    const auto here = std::ranges::find_if(result.restored, [&](const QString &path) {
        return platform::parentFolder(path) == shown;
    });
    if (here == result.restored.end()) {
        m_host.RefreshAndReselect();
    } else {
        if (const platform::MaybeFailure failure = m_browse.refresh())
            platform::showFailure(*failure);
        m_host.showFileListStatus();
        if (m_browse.selectName(here->mid(here->lastIndexOf(QLatin1Char('/')) + 1)))
            m_host.File1_Click();
    }
    if (!result.refusals.isEmpty())
        platform::message(refusalHeading + QLatin1Char('\n') + result.refusals.join(QLatin1Char('\n')),
                          platform::MessageIcon::Information);
    updateUndoActions();
}

void MainCommands::mnuRename_Click()
{
    // Without a current file there is nothing to rename.
    if (m_browse.count() == 0 || m_browse.currentRow() < 0 ||
        (m_browse.currentRow() == 0 && !m_browse.isSelected(0)))
        return;
    m_renameHold.emplace(m_browse); // the dialog renames the current entry
    m_renameDialog = new frmRename(m_browse, m_journal, &m_window);
    connect(m_renameDialog, &QDialog::finished, this, [this] {
        m_renameHold.reset();
        updateUndoActions();
        m_host.showFileListStatus(); // a new name may take the file out of the list
    });
    m_renameDialog->show();
    m_renameDialog->txtNewFilename->setFocus();
    m_window.setEnabled(false);
}

void MainCommands::SetWallpaper()
{
    using platform::MessageIcon;
    const QString name = m_browse.currentName();
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
    const QString path = m_host.shownFolder() + QLatin1Char('/') + name;
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

QString MainCommands::fullPathOf(const QString &name) const
{
    return platform::joinPath(m_host.shownFolder(), name);
}

} // namespace app

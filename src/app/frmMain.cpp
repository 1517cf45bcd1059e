#include "app/frmMain.h"

#include "about/frmSplash.h"
#include "app/AreaListDelegate.h"
#include "app/AreaSort.h"
#include "app/InputGuard.h"
#include "app/StartupLayout.h"
#include "browse/BrowseContext.h"
#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "browse/FileListBox.h"
#include "browse/FileListRules.h"
#include "browse/FolderPicker.h"
#include "catalogue/AreaKeys.h"
#include "catalogue/AreaList.h"
#include "catalogue/CatalogueFiles.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Naming.h"
#include "platform/ProgramDirectory.h"
#include "platform/Screen.h"
#include "quickgroup/frmQuickGroup.h"
#include "settings/frmSettings.h"
#include "viewers/frmImage.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

using platform::named;

namespace {

constexpr double kClientWidth = 5220;
constexpr double kClientHeight = 4965;
constexpr double kToolbarHeight = 360;
constexpr double kStatusBarHeight = 255;

void reportUnlessMissing(const platform::MaybeFailure &failure)
{
    if (failure && failure->kind != platform::FailureKind::FileNotFound)
        platform::showFailure(*failure);
}

} // namespace

frmMain::frmMain(frmImage &viewer, frmQuickGroup &palette, QWidget *parent)
    : QMainWindow(parent)
    , m_viewer(viewer)
    , m_palette(palette)
    , m_settings(new frmSettings(*this, this))
    , m_client(new QWidget(this))
    , m_browse(new browse::BrowseContext(this))
    , m_journal(std::make_unique<fileops::UndoJournal>(platform::programFile(QStringLiteral("SHELFMASTER.UNDO"))))
    , m_fileView(std::make_unique<app::CurrentFileView>(*m_browse, viewer, [this] { return shownFolder(); }, *this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Shelfmaster v1.4 - marrowby production 1999"));
    setCentralWidget(m_client);
    m_commands =
        std::make_unique<app::MainCommands>(static_cast<app::CommandHost &>(*this), *this, *this, *m_client);
    createControls();
    m_client->installEventFilter(this);
    m_palette.setDockingWindow(this);
    connect(&m_palette, &frmQuickGroup::groupLabelClicked, this, &frmMain::lblGroup_Click);
    connect(&m_viewer, &frmImage::Image1Clicked, this, &frmMain::Image1_Click);
    connect(m_settings, &frmSettings::optionsRead, this, &frmMain::setOptions);
    // The options the program works with are always those of the file once the dialog closed.
    connect(m_settings, &QDialog::finished, m_settings, &frmSettings::ReadSettings);
}

void frmMain::createControls()
{
    // The toolbar (which the commands made) and the status bar are placed by hand inside the
    // client area, as the other controls, because the column rule counts their heights as part of it.
    // Browsing starts in the process's current folder.
    const QString startFolder = platform::currentFolder();
    File1 = named(new browse::FileListBox(*m_browse, m_client), "File1");
    Drive1 = named(new browse::DriveListBox(startFolder, m_client), "Drive1");
    Dir1 = named(new browse::DirListBox(startFolder, m_client), "Dir1");
    cmbCatalog = named(new QComboBox(m_client), "cmbCatalog");
    lstArea = named(new QListWidget(m_client), "lstArea");
    lstArea->setItemDelegate(new app::AreaListDelegate(lstArea));
    StatusBar1 = named(new QStatusBar(m_client), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    statusPanel1 = named(new QLabel(StatusBar1), "StatusBar1Panel1");
    statusPanel2 = named(new QLabel(StatusBar1), "StatusBar1Panel2");
    StatusBar1->addWidget(statusPanel1, 1);
    StatusBar1->addPermanentWidget(statusPanel2);

    connect(cmbCatalog, &QComboBox::currentIndexChanged, this, &frmMain::cmbCatalog_Click);
    auto *folders = new browse::FolderPicker(*Drive1, *Dir1, this);
    folders->followFolders();
    connect(folders, &browse::FolderPicker::folderChanged, this, &frmMain::Dir1_Change);
    connect(File1, &browse::FileListBox::Click, this, &frmMain::File1_Click);
    connect(File1, &browse::FileListBox::DblClick, this, &frmMain::File1_DblClick);
    connect(m_browse, &browse::BrowseContext::reread, this, &frmMain::File1_Reread);
    connect(m_browse, &browse::BrowseContext::readFailed, this, [this](const platform::Failure &failure) {
        platform::showFailure(failure);
        showFileListStatus();
    });
    connect(m_browse, &browse::BrowseContext::currentChosen, this, &frmMain::File1_Click);
    connect(lstArea, &QListWidget::itemDoubleClicked, this, &frmMain::lstArea_DblClick);

    Toolbar1->resize(Toolbar1->width(), platform::twipsToPixels(kToolbarHeight));
    StatusBar1->resize(StatusBar1->width(), platform::twipsToPixels(kStatusBarHeight));
    resize(platform::twipsToPixels(kClientWidth),
           platform::twipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
    placeControls();
}

void frmMain::Form_Load()
{
    {
        frmSplash splash(this);
        splash.showModal();
    }
    ReadGroupIni();
    ReadAreaIni();
    m_viewer.show();
    placeWindows();
    m_palette.show();
    show();
    // Outer sizes need the window frames, which the desktop knows only once the windows show.
    placeWindows();
    Dir1_Change();
    m_settings->ReadSettings();
    if (const std::optional<QString> aside = m_journal->load())
        platform::message(QStringLiteral("The undo journal could not be read. It was set aside as ") + *aside +
                              QStringLiteral(", and undo starts afresh."),
                          platform::MessageIcon::Information);
    m_commands->updateUndoActions();
}

void frmMain::placeWindows()
{
    const platform::ScreenMetrics screen = platform::screenMetrics();
    const double paletteHeight = platform::outerGeometryTwips(&m_palette).height();
    const app::StartupPlacement placement =
        app::startupPlacement(screen.widthTwips(), screen.heightTwips(), paletteHeight);
    platform::setOuterGeometryTwips(&m_viewer, placement.viewer);
    platform::setOuterGeometryTwips(this, placement.main);
    platform::setOuterGeometryTwips(&m_palette, placement.palette);
}

void frmMain::ReadGroupIni()
{
    const catalogue::GroupParse read = catalogue::readGroupFile();
    {
        // Refilling the selector is not a choice of the user: the area list stays as it is.
        const QSignalBlocker quiet(cmbCatalog);
        cmbCatalog->clear();
        cmbCatalog->addItems(read.groups);
        cmbCatalog->setCurrentIndex(-1);
    }
    m_palette.removeGroupLabels();
    for (const QString &group : read.groups)
        m_palette.addGroupLabel(group);
    reportUnlessMissing(read.problem);
}

void frmMain::ReadAreaIni()
{
    catalogue::AreaParse read = catalogue::readAreaFile();
    if (read.problem && read.problem->kind == platform::FailureKind::FileNotFound)
        return;
    lstAreaArchive = std::move(read.records);
    reportUnlessMissing(read.problem);
}

void frmMain::cmbCatalog_Click()
{
    lstArea->clear();
    for (const catalogue::AreaRecord &area : catalogue::areasOfGroup(lstAreaArchive, cmbCatalog->currentText())) {
        auto *item = new QListWidgetItem(area.name, lstArea);
        if (const std::optional<QKeyCombination> key = catalogue::areaKey(area.shortcut)) {
            const QString text = QKeySequence(*key).toString(QKeySequence::NativeText);
            item->setData(app::AreaListDelegate::KeyRole, text);
            item->setToolTip(QStringLiteral("%1 (key: %2)").arg(area.name, text));
        }
    }
}

QStringList frmMain::groupNames() const
{
    QStringList groups;
    for (int i = 0; i < cmbCatalog->count(); ++i)
        groups.append(cmbCatalog->itemText(i));
    return groups;
}

std::optional<QString> frmMain::shownGroup() const
{
    if (cmbCatalog->currentIndex() < 0)
        return std::nullopt;
    return cmbCatalog->currentText();
}

void frmMain::chooseGroup(const std::optional<QString> &group)
{
    const QSignalBlocker quiet(cmbCatalog);
    cmbCatalog->setCurrentIndex(group ? cmbCatalog->findText(*group, Qt::MatchExactly | Qt::MatchCaseSensitive) : -1);
}

void frmMain::showGroup(const QString &group)
{
    chooseGroup(group);
    cmbCatalog_Click();
}

void frmMain::reloadAreas()
{
    ReadAreaIni();
    cmbCatalog_Click();
}

void frmMain::reloadCatalogue(const std::optional<QString> &groupToShow)
{
    ReadGroupIni();
    ReadAreaIni();
    chooseGroup(groupToShow);
    cmbCatalog_Click();
}

void frmMain::lblGroup_Click(int index)
{
    cmbCatalog->setCurrentIndex(index - 1);
    cmbCatalog_Click();
}

void frmMain::Dir1_Change()
{
    m_viewer.dropReadAhead();
    if (const platform::MaybeFailure failure = m_browse->setPath(Dir1->Path()))
        platform::showFailure(*failure);
    showFileListStatus();
    if (m_browse->count() == 0)
        btnDelete->setEnabled(false);
}

void frmMain::showFileKinds(const settings::MoreOptions &more)
{
    const browse::FileKinds kinds = more.moreKinds ? browse::FileKinds::Today : browse::FileKinds::Classic;
    if (m_browse->fileKinds() == kinds && m_browse->rawFiles() == more.rawFiles)
        return;
    m_browse->setFileKinds(kinds);
    m_browse->setRawFiles(more.rawFiles);
    // Before the start-up opened a folder there is nothing to read again.
    if (m_browse->path().isEmpty())
        return;
    const QString current = m_browse->currentName();
    if (const platform::MaybeFailure failure = m_browse->refresh())
        platform::showFailure(*failure);
    showFileListStatus();
    // The current file stays current when it is still listed; it is on show already.
    m_browse->selectName(current);
}

void frmMain::showFileListStatus()
{
    statusPanel1->setText(browse::fileListStatus(m_browse->count(), Dir1->Path()));
}

void frmMain::RefreshAndReselect()
{
    const int remembered = m_browse->currentRow();
    if (const platform::MaybeFailure failure = m_browse->refresh()) {
        if (failure->kind == platform::FailureKind::PathNotFound)
            platform::showPathMissing();
        else
            platform::showFailure(*failure);
        return;
    }
    reselect(remembered);
}

void frmMain::dropAndReselect(const QSet<QString> &gone)
{
    // A folder that went away is reported by a read of it, now.
    if (platform::checkFolder(m_browse->path())) {
        RefreshAndReselect();
        return;
    }
    const int remembered = m_browse->currentRow();
    m_browse->removeNames(gone);
    // A file another program took away meanwhile must not become current: then the folder is
    // read now, as it always was.
    const int next = browse::reselectedIndex(remembered, m_browse->count(), copyIsDefault());
    if (next >= 0 && !platform::entryExists(fullPathOf(m_browse->name(next)))) {
        if (const platform::MaybeFailure failure = m_browse->refresh()) {
            platform::showFailure(*failure);
            return;
        }
        reselect(remembered);
        return;
    }
    reselect(remembered);
    m_browse->refreshInBackground();
}

void frmMain::File1_Reread(int currentGone)
{
    showFileListStatus();
    if (currentGone < 0)
        return;
    // The current file went away meanwhile: the next one is chosen as after a sort.
    reselect(currentGone);
}

void frmMain::reselect(int remembered)
{
    showFileListStatus();
    if (m_browse->count() == 0) {
        m_viewer.clearPicture();
        btnDelete->setEnabled(false);
        return;
    }
    m_browse->reselectAfterSort(remembered, copyIsDefault()); // shows the file chosen
}

QString frmMain::shownFolder() const
{
    return Dir1->Path();
}

QString frmMain::fullPathOf(const QString &name) const
{
    return platform::joinPath(shownFolder(), name);
}

void frmMain::File1_Click()
{
    btnDelete->setEnabled(true);
    m_fileView->preview();
}

void frmMain::lstArea_DblClick()
{
    if (m_browse->currentRow() == -1)
        return;
    const app::InputGuard guard;
    app::AreaSort sort(*this, this);
    // While the files are written and flushed the picture that comes next shows already; the
    // reselection after the sort puts the preview right when the sort went otherwise.
    const int current = m_browse->currentRow();
    const int next = browse::rowAfterSort(current, m_browse->count(), copyIsDefault());
    if (sort.sendsAloneUnasked(m_browse->name(current)) && next >= 0 && next != current)
        sort.whileWriting([this, name = m_browse->name(next)] { m_fileView->previewAhead(name); });
    const QSet<QString> moved = sort.run();
    m_commands->updateUndoActions();
    dropAndReselect(moved);
    m_fileView->endPreviewAhead();
}

bool frmMain::copyIsDefault() const
{
    return !m_options.moveDefault;
}

void frmMain::setOptions(const settings::Options &options, bool defaultActionRead)
{
    m_options = options;
    if (defaultActionRead)
        statusPanel2->setText(options.moveDefault ? QStringLiteral("Move files") : QStringLiteral("Copy files"));
    showFileKinds(options.more);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit programEnded();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Resize()
{
    showCompanions();
    const int clientWidth = m_client->width();
    Toolbar1->setGeometry(0, 0, clientWidth, Toolbar1->height());
    StatusBar1->setGeometry(0, m_client->height() - StatusBar1->height(), clientWidth,
                            StatusBar1->height());
    m_controls.Drive1.height = float(platform::pixelsToTwips(Drive1->sizeHint().height()));
    m_controls.cmbCatalog.height = float(platform::pixelsToTwips(cmbCatalog->sizeHint().height()));
    app::layOutMainControls(m_controls, {platform::pixelsToTwips(clientWidth),
                                         platform::pixelsToTwips(m_client->height()),
                                         platform::pixelsToTwips(Toolbar1->height()),
                                         platform::pixelsToTwips(StatusBar1->height())});
    placeControls();
}

void frmMain::showCompanions()
{
    const bool minimized = isMinimized();
    for (QWidget *companion : {static_cast<QWidget *>(&m_viewer), static_cast<QWidget *>(&m_palette)}) {
        if (minimized && companion->isVisible())
            companion->hide();
        else if (!minimized && companion->isHidden())
            companion->show();
    }
}

void frmMain::placeControls()
{
    const auto place = [](QWidget *widget, const app::Box &box) {
        platform::setChildGeometryTwips(widget, QRectF(box.left, box.top, box.width, box.height));
    };
    place(File1, m_controls.File1);
    place(Drive1, m_controls.Drive1);
    place(Dir1, m_controls.Dir1);
    place(cmbCatalog, m_controls.cmbCatalog);
    place(lstArea, m_controls.lstArea);
}

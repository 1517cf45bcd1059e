#include "app/frmMain.h"

#include "about/frmSplash.h"
#include "app/StartupLayout.h"
#include "catalogue/AreaList.h"
#include "catalogue/CatalogueFiles.h"
#include "platform/MessageBox.h"
#include "platform/Screen.h"
#include "quickgroup/frmQuickGroup.h"
#include "viewers/frmImage.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

constexpr double kClientWidth = 5220;
constexpr double kClientHeight = 4965;
constexpr double kToolbarHeight = 360;
constexpr double kStatusBarHeight = 255;

template <class Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void reportUnlessMissing(const platform::MaybeFailure &failure)
{
    if (failure && failure->number != platform::errors::FileNotFound)
        platform::showFailure(*failure);
}

} // namespace

frmMain::frmMain(frmImage &viewer, frmQuickGroup &palette, QWidget *parent)
    : QMainWindow(parent)
    , m_viewer(viewer)
    , m_palette(palette)
    , m_client(new QWidget(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Shelfmaster v1.4 - marrowby production 1999"));
    setCentralWidget(m_client);
    createMenus();
    createControls();
    m_client->installEventFilter(this);
    m_palette.setDockingWindow(this);
    connect(&m_palette, &frmQuickGroup::groupLabelClicked, this, &frmMain::lblGroup_Click);
}

void frmMain::createMenus()
{
    mnuFile = named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    QAction *exit = named(mnuFile->addAction(QStringLiteral("E&xit")), "mnuExit");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(exit, &QAction::triggered, this, &frmMain::mnuExit_Click);
}

void frmMain::createControls()
{
    // The toolbar and the status bar are placed by hand inside the client area, as the other
    // controls, because the column rule counts their heights as part of it.
    Toolbar1 = named(new QToolBar(m_client), "Toolbar1");
    Toolbar1->setMovable(false);
    File1 = named(new QListView(m_client), "File1");
    Drive1 = named(new QComboBox(m_client), "Drive1");
    Dir1 = named(new QListView(m_client), "Dir1");
    cmbCatalog = named(new QComboBox(m_client), "cmbCatalog");
    lstArea = named(new QListWidget(m_client), "lstArea");
    StatusBar1 = named(new QStatusBar(m_client), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    statusPanel1 = named(new QLabel(StatusBar1), "StatusBar1Panel1");
    statusPanel2 = named(new QLabel(StatusBar1), "StatusBar1Panel2");
    StatusBar1->addWidget(statusPanel1, 1);
    StatusBar1->addPermanentWidget(statusPanel2);

    connect(cmbCatalog, &QComboBox::currentIndexChanged, this, &frmMain::cmbCatalog_Click);

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
    m_viewer.setVisible(true);
    m_palette.setVisible(true);
    show();
    // Outer sizes need the window frames, which the desktop knows only once the windows show.
    placeWindows();
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
    if (read.problem && read.problem->number == platform::errors::FileNotFound)
        return;
    lstAreaArchive = std::move(read.records);
    reportUnlessMissing(read.problem);
}

void frmMain::cmbCatalog_Click()
{
    lstArea->clear();
    lstArea->addItems(catalogue::areaNamesOfGroup(lstAreaArchive, cmbCatalog->currentText()));
}

void frmMain::lblGroup_Click(int index)
{
    cmbCatalog->setCurrentIndex(index - 1);
    cmbCatalog_Click();
}

void frmMain::mnuExit_Click()
{
    const platform::MessageAnswer answer = platform::showMessage(
        {QStringLiteral("Exit"), QStringLiteral("Are you sure that you wan't to quit?"),
         platform::MessageIcon::Question, platform::MessageButtons::YesNo,
         platform::MessageAnswer::Yes});
    if (answer == platform::MessageAnswer::Yes)
        close();
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

#pragma once

#include "app/MainLayout.h"
#include "catalogue/AreaRecord.h"

#include <QMainWindow>

class QComboBox;
class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QStatusBar;
class QToolBar;
class frmImage;
class frmQuickGroup;

// The main window: the folder, drive and file lists on the left, the group selector and the
// areas of the chosen group on the right.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    frmMain(frmImage &viewer, frmQuickGroup &palette, QWidget *parent = nullptr);

    // The start-up sequence: splash, catalogue, window placement.
    void Form_Load();

    void ReadGroupIni();
    void ReadAreaIni();
    // Lists the areas of the group chosen in cmbCatalog.
    void cmbCatalog_Click();
    void mnuExit_Click();

    QToolBar *Toolbar1;
    QListView *File1;
    QComboBox *Drive1;
    QListView *Dir1;
    QComboBox *cmbCatalog;
    QListWidget *lstArea;
    QStatusBar *StatusBar1;
    QLabel *statusPanel1;
    QLabel *statusPanel2;

    QMenu *mnuFile;

    catalogue::AreaArchive lstAreaArchive;

signals:
    // The main window was closed or unloaded: the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createControls();
    void placeWindows();
    void Form_Resize();
    void showCompanions();
    void placeControls();
    void lblGroup_Click(int index);

    frmImage &m_viewer;
    frmQuickGroup &m_palette;
    QWidget *m_client;
    app::MainControls m_controls = app::designedMainControls();
};

#pragma once

class QAction;
class QMenu;
class QToolBar;

namespace app {

// The main window's menus and toolbar buttons, which its commands make and run.
struct MainActions {
    QToolBar *Toolbar1 = nullptr;
    QAction *btnExit = nullptr;
    QAction *btnSettings = nullptr;
    QAction *btnDesktop = nullptr;
    QAction *btnDelete = nullptr;
    QAction *btnAddArea = nullptr;
    QAction *btnHelp = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuRename = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuSplitt = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *mnuSettings = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpTopics = nullptr;
    QAction *mnuAbout = nullptr;
};

} // namespace app

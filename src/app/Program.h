#pragma once

#include <memory>

class frmImage;
class frmMain;
class frmQuickGroup;

namespace app {

// The program's long-lived windows. start() runs the start-up sequence; the program ends when
// the main window reports programEnded().
class Program {
public:
    Program();
    ~Program();

    void start();

    frmMain &mainWindow() { return *m_main; }
    frmImage &viewer() { return *m_viewer; }
    frmQuickGroup &palette() { return *m_palette; }

private:
    std::unique_ptr<frmImage> m_viewer;
    std::unique_ptr<frmQuickGroup> m_palette;
    std::unique_ptr<frmMain> m_main;
};

// Application-wide names used by the desktop and the configuration folder.
void configureApplication();

} // namespace app

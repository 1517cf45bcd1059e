#include "app/Program.h"

#include "app/frmMain.h"
#include "quickgroup/frmQuickGroup.h"
#include "viewers/frmImage.h"

#include <QApplication>
#include <QIcon>

namespace app {

Program::Program()
    : m_viewer(std::make_unique<frmImage>())
    , m_palette(std::make_unique<frmQuickGroup>())
    , m_main(std::make_unique<frmMain>(*m_viewer, *m_palette))
{
}

Program::~Program()
{
    // The main window refers to the other two.
    m_main.reset();
}

void Program::start()
{
    m_main->Form_Load();
}

void configureApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("shelfmaster"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.4"));
    QApplication::setApplicationDisplayName(QStringLiteral("Shelfmaster"));
    // The desktop finds the menu entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("net.marrowby.Shelfmaster"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("net.marrowby.Shelfmaster"),
                                                 QIcon(QStringLiteral(":/images/splash.png"))));
}

} // namespace app

#include "app/Program.h"
#include "app/frmMain.h"
#include "platform/Display.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (const QString problem = platform::missingDisplayMessage(); !problem.isEmpty()) {
        std::fputs(qPrintable(problem), stderr);
        return 2;
    }
    QApplication application(argc, argv);
    app::configureApplication();
    app::Program program;
    QObject::connect(&program.mainWindow(), &frmMain::programEnded, &application, &QApplication::quit);
    program.start();
    return application.exec();
}

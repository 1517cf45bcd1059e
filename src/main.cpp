#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "platform/Display.h"
#include "platform/FileNames.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << platform::decodeFileName(QByteArray(argv[i])); // a folder's name is bytes
    const app::CommandLine line = app::parseCommandLine(arguments);
    if (line.exitCode) {
        std::fputs(line.output.toLocal8Bit().constData(), *line.exitCode == 0 ? stdout : stderr);
        return *line.exitCode;
    }
    if (const QString problem = platform::missingDisplayMessage(); !problem.isEmpty()) {
        std::fputs(qPrintable(problem), stderr);
        return 2;
    }
    QApplication application(argc, argv);
    app::configureApplication();
    if (line.folder)
        app::enterStartFolder(*line.folder);
    app::Program program;
    QObject::connect(&program.mainWindow(), &frmMain::programEnded, &application, &QApplication::quit);
    program.start();
    return application.exec();
}

#include "app/CommandLine.h"

#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <unistd.h>

namespace app {

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sorts folders of pictures and movies into other folders."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder to sort; the current one if none."),
                                 QStringLiteral("[FOLDER]"));
    // The program is "shelfmaster" however it was started (and before the application exists).
    const QString usage =
        parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")), QStringLiteral("Usage: shelfmaster"));
    CommandLine line;
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        line.exitCode = 1;
        line.output = (parser.errorText().isEmpty() ? QStringLiteral("Only one folder can be sorted at a time.")
                                                    : parser.errorText()) +
                      QLatin1Char('\n') + usage;
        return line;
    }
    if (parser.isSet(version)) {
        line.exitCode = 0;
        line.output = QStringLiteral("shelfmaster 1.4\n");
    } else if (parser.isSet(help)) {
        line.exitCode = 0;
        line.output = usage;
    } else if (!parser.positionalArguments().isEmpty()) {
        line.folder = parser.positionalArguments().first();
    }
    return line;
}

void enterStartFolder(const QString &folder)
{
    const QByteArray path = platform::encodeFileName(folder);
    if (platform::checkFolder(folder) || ::access(path.constData(), R_OK | X_OK) != 0 || ::chdir(path.constData()) != 0)
        platform::showPathMissing();
}

} // namespace app

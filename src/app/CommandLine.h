#pragma once

#include <QStringList>
#include <optional>

namespace app {

// What the command line asks for: "shelfmaster [FOLDER]", or --help / --version, which print
// and end the program before any window opens.
struct CommandLine {
    std::optional<int> exitCode; // set: print output and end with this code
    QString output;
    std::optional<QString> folder;
};
CommandLine parseCommandLine(const QStringList &arguments);

// Makes the folder the current one, where browsing starts. A folder that does not exist or
// cannot be read gives "The path is missing", and browsing starts in the current folder.
void enterStartFolder(const QString &folder);

} // namespace app

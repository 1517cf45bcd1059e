#pragma once

#include <QString>

namespace platform {

// Where the areas, groups and options files live: beside the executable when that folder is
// writable or already holds them (a portable copy), otherwise the user's configuration folder.
QString programDirectory();

// Tests use a folder of their own; an empty path restores the normal choice.
void setProgramDirectoryOverride(const QString &directory);

// The full path of one of the program's files.
QString programFile(const QString &fileName);

} // namespace platform

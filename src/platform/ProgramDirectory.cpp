#include "platform/ProgramDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

QString &overrideDirectory()
{
    static QString directory;
    return directory;
}

bool holdsProgramFiles(const QDir &dir)
{
    for (const char *name : {"MSAREA.INI", "MSGROUP.INI", "SETTINGS.INI"}) {
        if (dir.exists(QLatin1String(name)))
            return true;
    }
    return false;
}

} // namespace

QString programDirectory()
{
    if (!overrideDirectory().isEmpty())
        return overrideDirectory();
    const QString executableDir = QCoreApplication::applicationDirPath();
    if (holdsProgramFiles(QDir(executableDir)) || QFileInfo(executableDir).isWritable())
        return executableDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

void setProgramDirectoryOverride(const QString &directory)
{
    overrideDirectory() = directory;
}

QString programFile(const QString &fileName)
{
    return programDirectory() + QLatin1Char('/') + fileName;
}

} // namespace platform

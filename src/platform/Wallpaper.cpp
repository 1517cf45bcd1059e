#include "platform/Wallpaper.h"

#include "platform/FileNames.h"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <fcntl.h>

namespace platform {

namespace {

struct Command {
    QString program;
    QStringList arguments;
};

bool isPicture(const QString &path)
{
    const int fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QImageReader reader(&file);
    return reader.canRead() && !reader.read().isNull();
}

QString fileUri(const QString &path)
{
    return QString::fromLatin1(QByteArrayLiteral("file://") + encodeFileName(path).toPercentEncoding("/"));
}

// A script for Plasma's shell that gives every desktop the picture.
QString plasmaScript(const QString &uri)
{
    return QStringLiteral("for (const d of desktops()) { d.wallpaperPlugin = 'org.kde.image';"
                          " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
                          " d.writeConfig('Image', %1); }")
        .arg(QStringLiteral("'") + QString(uri).replace(QLatin1Char('\''), QStringLiteral("%27")) +
             QStringLiteral("'"));
}

QList<Command> commandsFor(const QString &path)
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    const QString uri = fileUri(path);
    const auto has = [&](const char *name) { return desktop.contains(QLatin1String(name)); };
    if (has("GNOME") || has("UNITY") || has("BUDGIE") || has("UBUNTU") || has("POP"))
        return {{"gsettings", {"set", "org.gnome.desktop.background", "picture-uri", uri}},
                {"gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", uri}}};
    if (has("CINNAMON"))
        return {{"gsettings", {"set", "org.cinnamon.desktop.background", "picture-uri", uri}}};
    if (has("MATE"))
        return {{"gsettings", {"set", "org.mate.background", "picture-filename", path}}};
    if (has("KDE"))
        return {{"qdbus", {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript",
                           plasmaScript(uri)}}};
    if (has("XFCE"))
        return {{"xfconf-query", {"-c", "xfce4-desktop", "-p",
                                  "/backdrop/screen0/monitor0/workspace0/last-image", "-s", path}}};
    return {{"feh", {"--bg-fill", path}}};
}

bool run(const Command &command)
{
    const QString program = QStandardPaths::findExecutable(command.program);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.start(program, command.arguments); // an argument list: no shell sees the path
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

bool setDesktopWallpaper(const QString &path)
{
    if (!isPicture(path))
        return false;
    const QList<Command> commands = commandsFor(path);
    return std::all_of(commands.begin(), commands.end(), run);
}

} // namespace platform

#include "platform/Desktop.h"

#include "platform/ProgramDirectory.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>

namespace platform {

namespace {

std::function<bool(const QUrl &)> &urlOpener()
{
    static std::function<bool(const QUrl &)> opener;
    return opener;
}

const QString kHelpDocument = QStringLiteral("Help.htm");

} // namespace

MaybeFailure openUrl(const QUrl &url)
{
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return Failure::fileNotFound();
    const bool opened = urlOpener() ? urlOpener()(url) : QDesktopServices::openUrl(url);
    if (!opened)
        return Failure{FailureKind::PathFileAccess,
                       QStringLiteral("Path/File access error: no program opens %1").arg(url.toDisplayString())};
    return std::nullopt;
}

void setUrlOpener(std::function<bool(const QUrl &)> opener)
{
    urlOpener() = std::move(opener);
}

bool startSystemInformation()
{
    for (const char *program : {"gnome-system-monitor", "kinfocenter", "hardinfo", "xfce4-taskmanager"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(program));
        if (!path.isEmpty())
            return QProcess::startDetached(path, {});
    }
    return false;
}

QString helpDocumentPath()
{
    const QStringList places = {
        programFile(kHelpDocument),
        QDir(QCoreApplication::applicationDirPath()).filePath(kHelpDocument),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/shelfmaster/") + kHelpDocument)};
    for (const QString &place : places) {
        if (QFileInfo::exists(place))
            return QDir::cleanPath(place);
    }
    return places.first();
}

} // namespace platform

#include "platform/FileDeletion.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <unistd.h>

namespace platform {

namespace {

enum Result { Deleted = 0, Declined = 1, Failed = 2 };

bool moveToTrash(const QString &path)
{
    // Names Qt cannot carry through its own encoding would reach the trash under another name.
    if (QFile::encodeName(path) != encodeFileName(path))
        return false;
    // Without the data folder Qt 6.4 makes a "trash" in the current folder and reports success.
    if (!QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)))
        return false;
    QString inTrash;
    return QFile::moveToTrash(path, &inTrash) && QDir::isAbsolutePath(inTrash);
}

} // namespace

int deleteFile(const QString &path, bool toTrash, bool confirm)
{
    if (confirm) {
        const QString question = toTrash ? QStringLiteral("Move %1 to the trash?").arg(path)
                                         : QStringLiteral("Delete %1 permanently?").arg(path);
        if (message(question, MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes) !=
            MessageAnswer::Yes)
            return Declined;
    }
    if (toTrash)
        return moveToTrash(path) ? Deleted : Failed;
    return ::unlink(encodeFileName(path).constData()) == 0 ? Deleted : Failed;
}

} // namespace platform

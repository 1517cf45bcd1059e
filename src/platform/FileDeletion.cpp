#include "platform/FileDeletion.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Trash.h"

#include <unistd.h>

namespace platform {

namespace {

enum Result { Deleted = 0, Declined = 1, Failed = 2 };

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
        return moveToTrash(encodeFileName(path)).failure ? Failed : Deleted;
    return ::unlink(encodeFileName(path).constData()) == 0 ? Deleted : Failed;
}

} // namespace platform

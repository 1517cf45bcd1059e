#include "platform/FileDeletion.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Trash.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

namespace {

enum Result { Deleted = 0, Declined = 1, Failed = 2 };

} // namespace

bool confirmDeletion(const QString &path, bool toTrash)
{
    const QString question = toTrash ? QStringLiteral("Move %1 to the trash?").arg(path)
                                     : QStringLiteral("Delete %1 permanently?").arg(path);
    return message(question, MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes) == MessageAnswer::Yes;
}

MaybeFailure deleteForGood(const QString &path)
{
    if (::unlink(encodeFileName(path).constData()) != 0)
        return Failure::fromErrno(errno);
    return std::nullopt;
}

int deleteFile(const QString &path, bool toTrash, bool confirm)
{
    if (confirm && !confirmDeletion(path, toTrash))
        return Declined;
    const MaybeFailure failure = toTrash ? moveToTrash(encodeFileName(path)).failure : deleteForGood(path);
    return failure ? Failed : Deleted;
}

} // namespace platform

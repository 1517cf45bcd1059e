#include "platform/FileDeletion.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/RawFiles.h"
#include "platform/Trash.h"

#include <QList>

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

MaybeFailure deleteForGood(const QStringList &unit)
{
    struct Aside {
        QByteArray name, hidden;
    };
    QList<Aside> aside;
    const auto failWith = [&](int error, qsizetype left) {
        for (qsizetype i = left - 1; i >= 0; --i)
            renameNoReplace(aside[i].hidden, aside[i].name);
        return Failure::fromErrno(error);
    };
    for (const QString &path : unit) {
        const QByteArray name = encodeFileName(path);
        const QByteArray folder = folderOf(name);
        const std::optional<QByteArray> hidden = renameToFreeName(
            name, folder + (folder.endsWith('/') ? "." : "/.") + name.mid(name.lastIndexOf('/') + 1) + ".deleting");
        if (!hidden)
            return failWith(errno, aside.size());
        aside.append({name, *hidden});
    }
    for (qsizetype i = aside.size() - 1; i >= 0; --i) {
        if (::unlink(aside[i].hidden.constData()) != 0)
            return failWith(errno, i + 1);
    }
    return std::nullopt;
}

int deleteFile(const QString &path, bool toTrash, bool confirm)
{
    if (confirm && !confirmDeletion(path, toTrash))
        return Declined;
    const MaybeFailure failure = toTrash ? moveToTrash(encodeFileName(path)).failure : deleteForGood({path});
    return failure ? Failed : Deleted;
}

} // namespace platform

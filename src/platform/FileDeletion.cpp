#include "platform/FileDeletion.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/RawFiles.h"
#include "platform/Trash.h"

#include <QList>

#include <cerrno>
#include <climits>
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

UnitDeletion deleteForGood(const QStringList &unit)
{
    struct Aside {
        QByteArray name, hidden;
    };
    QList<Aside> aside;
    UnitDeletion result;
    // The files set aside and not removed get their names back; one whose name another program
    // took meanwhile gets a free numbered name beside it, and the failure says which.
    const auto giveBack = [&](int error, qsizetype count) {
        QStringList renamed;
        for (qsizetype i = count - 1; i >= 0; --i) {
            if (renameNoReplace(aside[i].hidden, aside[i].name) == 0)
                continue;
            const QByteArray now = renameToFreeName(aside[i].hidden, aside[i].name).value_or(aside[i].hidden);
            renamed.prepend(decodeFileName(nameOf(aside[i].name)) + QStringLiteral(" is now ") +
                            decodeFileName(nameOf(now)));
        }
        result.failure = Failure::fromErrno(error);
        if (!renamed.isEmpty())
            result.failure = Failure::system(error, result.failure->description + QStringLiteral(": ") +
                                                        renamed.join(QStringLiteral(", ")));
        return result;
    };
    for (const QString &path : unit) {
        const QByteArray name = encodeFileName(path);
        const QByteArray folder = folderOf(name);
        // Within the longest name the folder takes, with room for a number.
        const long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
        const QByteArray hidden = folder + (folder.endsWith('/') ? "." : "/.") +
                                  nameOf(name).left((longest > 0 ? longest : NAME_MAX) - 16) +
                                  ".deleting";
        const std::optional<QByteArray> placed = renameToFreeName(name, hidden);
        if (!placed)
            return giveBack(errno, aside.size());
        aside.append({name, *placed});
    }
    for (qsizetype i = aside.size() - 1; i >= 0; --i) {
        if (::unlink(aside[i].hidden.constData()) != 0)
            return giveBack(errno, i + 1);
        result.deleted.prepend(decodeFileName(aside[i].name));
    }
    return result;
}

int deleteFile(const QString &path, bool toTrash, bool confirm)
{
    if (confirm && !confirmDeletion(path, toTrash))
        return Declined;
    const MaybeFailure failure = toTrash ? moveToTrash(encodeFileName(path)).failure : deleteForGood({path}).failure;
    return failure ? Failed : Deleted;
}

} // namespace platform

#include "platform/FileDeletion.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/RawFiles.h"
#include "platform/Trash.h"

#include <QList>

#include <algorithm>
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
        // Within the longest name the folder takes (some count characters of several bytes: then
        // the usual limit counts), with room for a number, and not in the midst of a character.
        const long longest = std::min(::pathconf(folder.constData(), _PC_NAME_MAX), long(NAME_MAX));
        const QByteArray own = nameOf(name);
        qsizetype cut = std::min(own.size(), qsizetype(longest > 0 ? longest : NAME_MAX) - 16);
        while (cut > 0 && cut < own.size() && (quint8(own.at(cut)) & 0xC0) == 0x80)
            --cut;
        const QByteArray hidden = folder + (folder.endsWith('/') ? "." : "/.") + own.left(cut) + ".deleting";
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

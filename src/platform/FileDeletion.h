#pragma once

#include "platform/Failure.h"

#include <QString>
#include <QStringList>

namespace platform {

// Asks whether the file may go to the trash, or be deleted for good.
bool confirmDeletion(const QString &path, bool toTrash);
// What a delete for good did: the failure, and the files it had removed all the same.
struct UnitDeletion {
    MaybeFailure failure;
    QStringList deleted;
};
// Deletes the files of a unit for good, all or none: each is first set aside under a hidden name
// beside it, which can be taken back, and only once all are aside do they go, the first last.
UnitDeletion deleteForGood(const QStringList &unit);

// Deletes one file, into the desktop's trash or for good, asking first when confirm is set.
// 0 when the file is gone; non-zero when the user declined or the deletion failed.
int deleteFile(const QString &path, bool toTrash, bool confirm);

} // namespace platform

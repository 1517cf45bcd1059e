#pragma once

#include "platform/Failure.h"

#include <QString>

namespace platform {

// Asks whether the file may go to the trash, or be deleted for good.
bool confirmDeletion(const QString &path, bool toTrash);
MaybeFailure deleteForGood(const QString &path);

// Deletes one file, into the desktop's trash or for good, asking first when confirm is set.
// 0 when the file is gone; non-zero when the user declined or the deletion failed.
int deleteFile(const QString &path, bool toTrash, bool confirm);

} // namespace platform

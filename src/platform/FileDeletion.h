#pragma once

#include <QString>

namespace platform {

// Deletes one file, into the desktop's trash or for good, asking first when confirm is set.
// 0 when the file is gone; non-zero when the user declined or the deletion failed.
int deleteFile(const QString &path, bool toTrash, bool confirm);

} // namespace platform

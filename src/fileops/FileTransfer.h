#pragma once

#include "platform/Failure.h"

#include <QString>
#include <functional>

namespace fileops {

enum class Transfer { Copy, Move };

// Told the bytes copied so far and the file's size after each chunk of a copy; returning false
// cancels the copy (ECANCELED): the temporary file goes and the source stays.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;

// Puts the file at source under the path target, which names the new file itself. Neither
// a copy nor a move ever replaces an existing target: that is FileAlreadyExists, even when the
// target appeared a moment ago or is hidden. A move within one file system is a single rename.
// Anything else is copied to a hidden temporary file in the target's folder, flushed, and only
// then given the target name (keeping the modification time and permissions); a move deletes
// the source last. On failure no temporary file stays behind and the source is untouched.
platform::MaybeFailure transferFile(const QString &source, const QString &target, Transfer how,
                                    const TransferProgress &progress = {});

// Gives a file a new name in its folder in one step, never replacing a file of that name.
platform::MaybeFailure renameFile(const QString &from, const QString &to);

} // namespace fileops

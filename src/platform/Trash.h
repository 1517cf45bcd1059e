#pragma once

#include "platform/Failure.h"

#include <QByteArray>
#include <functional>

namespace platform {

// Where a trashed file went: the file itself and its entry in the trash's info folder.
struct TrashedFile {
    QByteArray file;
    QByteArray info;
};

struct TrashResult {
    TrashedFile trashed;
    MaybeFailure failure;
};

// Moves the file at path (its bytes, whatever the encoding) into the freedesktop trash: the
// home trash when it lies on the home trash's file system, otherwise the trash at the top of
// its own volume. The file is renamed, never copied, and never replaces anything in the trash.
// Links among the folders on the path are followed; a link as the file itself is what is trashed.
// claimed is told of each entry before it is made, so that a journal can settle what a crash left.
TrashResult moveToTrash(const QByteArray &path, const std::function<void(const TrashedFile &)> &claimed = {});

} // namespace platform

#pragma once

#include "fileops/FileTransfer.h"
#include "platform/MessageBox.h"

namespace fileops {

struct NameLookup {
    bool found = false;
    platform::MaybeFailure failure; // PathNotFound when the folder does not exist
};

// Whether the folder holds a file that is not hidden and whose name equals name in any letter
// case: such a name is taken for a file sorted into the folder.
NameLookup findVisibleName(const QString &folder, const QString &name);

// The question asked before a file is sent to an area.
platform::MessageRequest transferQuestion(Transfer how, const QString &source, const QString &areaPath);

} // namespace fileops

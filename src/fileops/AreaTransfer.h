#pragma once

#include "fileops/FileTransfer.h"
#include "platform/MessageBox.h"

#include <QHash>
#include <QSet>

namespace fileops {

struct NameLookup {
    bool found = false;
    platform::MaybeFailure failure; // PathNotFound when the folder does not exist
};

// The names a sort may not use in area folders: those of files that are not hidden, in any
// letter case. Each folder is read once, when first asked about, and a file sent there is added,
// so a sort of many files into a large area reads it once. The transfer's refusal to replace
// stays the final guard against a name that appears meanwhile.
class AreaNames {
public:
    NameLookup find(const QString &folder, const QString &name);
    void add(const QString &folder, const QString &name);

private:
    struct Folder {
        QSet<QString> names; // case-folded
        platform::MaybeFailure failure;
    };
    Folder &folder(const QString &path);

    QHash<QString, Folder> m_folders;
};

// The question asked before a file is sent to an area.
platform::MessageRequest transferQuestion(Transfer how, const QString &source, const QString &areaPath);

} // namespace fileops

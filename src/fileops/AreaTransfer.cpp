#include "fileops/AreaTransfer.h"

#include "platform/Folders.h"

namespace fileops {

NameLookup findVisibleName(const QString &folder, const QString &name)
{
    const platform::FolderRead read = platform::readFolder(folder, platform::EntryKind::File);
    NameLookup lookup{false, read.failure};
    for (const platform::FolderEntry &entry : read.entries) {
        if (entry.kind == platform::EntryKind::File && !entry.name.startsWith(QLatin1Char('.')) &&
            entry.name.compare(name, Qt::CaseInsensitive) == 0) {
            lookup.found = true;
            break;
        }
    }
    return lookup;
}

platform::MessageRequest transferQuestion(Transfer how, const QString &source, const QString &areaPath)
{
    const QString verb = how == Transfer::Copy ? QStringLiteral("Copy file") : QStringLiteral("Move file");
    return {verb, verb + QLatin1Char(' ') + source + QStringLiteral(" to ") + areaPath,
            platform::MessageIcon::Question, platform::MessageButtons::OkCancel,
            platform::MessageAnswer::Ok};
}

} // namespace fileops

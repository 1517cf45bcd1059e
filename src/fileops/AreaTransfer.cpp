#include "fileops/AreaTransfer.h"

#include "platform/Folders.h"

namespace fileops {

AreaNames::Folder &AreaNames::folder(const QString &path)
{
    auto known = m_folders.find(path);
    if (known != m_folders.end())
        return *known;
    const platform::FolderRead read = platform::readFolder(path, platform::EntryKind::File);
    Folder listed{{}, read.failure};
    listed.names.reserve(qsizetype(read.entries.size()));
    for (const platform::FolderEntry &entry : read.entries) {
        if (!entry.name.startsWith(QLatin1Char('.')))
            listed.names.insert(entry.name.toCaseFolded());
    }
    return *m_folders.insert(path, std::move(listed));
}

NameLookup AreaNames::find(const QString &path, const QString &name)
{
    const Folder &listed = folder(path);
    return {!listed.failure && listed.names.contains(name.toCaseFolded()), listed.failure};
}

void AreaNames::add(const QString &path, const QString &name)
{
    folder(path).names.insert(name.toCaseFolded());
}

platform::MessageRequest transferQuestion(Transfer how, const QString &source, const QString &areaPath)
{
    const QString verb = how == Transfer::Copy ? QStringLiteral("Copy file") : QStringLiteral("Move file");
    return {verb, verb + QLatin1Char(' ') + source + QStringLiteral(" to ") + areaPath,
            platform::MessageIcon::Question, platform::MessageButtons::OkCancel,
            platform::MessageAnswer::Ok};
}

} // namespace fileops

#include "catalogue/CatalogueEdits.h"

#include <algorithm>

namespace catalogue {

bool sameNameAnyCase(const QString &a, const QString &b)
{
    return a.toUpper() == b.toUpper();
}

bool groupNameTaken(const QStringList &groups, const QString &name)
{
    return std::ranges::any_of(groups, [&](const QString &group) { return sameNameAnyCase(group, name); });
}

bool areaNameTaken(const AreaArchive &archive, const QString &group, const QString &name,
                   qsizetype exceptRecord)
{
    for (qsizetype i = 0; i < archive.size(); ++i) {
        const AreaRecord &record = archive.at(i);
        if (i != exceptRecord && record.group == group && sameNameAnyCase(record.name, name))
            return true;
    }
    return false;
}

QStringList editableGroups(const QStringList &groups)
{
    QStringList named;
    std::ranges::copy_if(groups, std::back_inserter(named), [](const QString &g) { return !g.isEmpty(); });
    return named;
}

AreaArchive withGroupRenamed(AreaArchive archive, const QString &from, const QString &to)
{
    for (AreaRecord &record : archive) {
        if (record.group == from)
            record.group = to;
    }
    return archive;
}

AreaArchive withoutGroup(AreaArchive archive, const QString &group)
{
    archive.removeIf([&](const AreaRecord &record) { return record.group == group; });
    return archive;
}

} // namespace catalogue

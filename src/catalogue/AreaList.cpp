#include "catalogue/AreaList.h"

#include <algorithm>

namespace catalogue {

AreaArchive areasOfGroup(const AreaArchive &archive, const QString &group)
{
    AreaArchive areas;
    std::ranges::copy_if(archive, std::back_inserter(areas),
                         [&](const AreaRecord &record) { return record.group == group; });
    std::ranges::stable_sort(areas, [](const AreaRecord &a, const AreaRecord &b) {
        const int folded = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.name < b.name;
    });
    return areas;
}

} // namespace catalogue

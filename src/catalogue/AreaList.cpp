#include "catalogue/AreaList.h"

#include <algorithm>

namespace catalogue {

QStringList areaNamesOfGroup(const AreaArchive &archive, const QString &group)
{
    QStringList names;
    for (const AreaRecord &record : archive) {
        if (record.group == group)
            names.append(record.name);
    }
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

} // namespace catalogue

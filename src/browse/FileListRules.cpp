#include "browse/FileListRules.h"

#include <algorithm>
#include <array>
#include <vector>

namespace browse {

bool isListedFileName(const QString &name)
{
    static constexpr std::array<QLatin1StringView, 8> kEndings = {
        QLatin1StringView(".jpg"), QLatin1StringView(".gif"),  QLatin1StringView(".bmp"),
        QLatin1StringView(".jpeg"), QLatin1StringView(".mov"), QLatin1StringView(".mpeg"),
        QLatin1StringView(".mpg"), QLatin1StringView(".avi")};
    if (name.startsWith(QLatin1Char('.')))
        return false;
    return std::any_of(kEndings.begin(), kEndings.end(), [&](QLatin1StringView ending) {
        return name.endsWith(ending, Qt::CaseInsensitive);
    });
}

void sortFileNames(QStringList &names)
{
    // Folding each name once keeps a sort of 100,000 names fast.
    struct Keyed {
        QString key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(names.size()));
    for (QString &name : names)
        keyed.push_back({name.toCaseFolded(), std::move(name)});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (const int order = a.key.compare(b.key); order != 0)
            return order < 0;
        return a.name < b.name;
    });
    names.clear();
    for (Keyed &entry : keyed)
        names.append(std::move(entry.name));
}

QString fileListStatus(int count, const QString &folder)
{
    if (count <= 0)
        return QStringLiteral("<empty>");
    QString status = QString::number(count) + QLatin1String(" file(s) - ") + folder;
    if (!folder.endsWith(QLatin1Char('/')))
        status += QLatin1Char('/');
    return status;
}

int reselectedIndex(int remembered, int count, bool copyIsDefault)
{
    if (count == 0)
        return -1;
    if (remembered + 1 > count)
        return copyIsDefault ? -1 : 0;
    if (copyIsDefault && remembered + 1 != count)
        return remembered + 1;
    return remembered;
}

} // namespace browse

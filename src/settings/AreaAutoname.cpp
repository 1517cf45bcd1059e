#include "settings/AreaAutoname.h"

namespace settings {

int stripCount(const QString &text)
{
    bool isNumber = false;
    const int count = text.toInt(&isNumber);
    return isNumber ? count : 0;
}

QString areaAutoname(const QString &folder, const QString &mountPoint, int stripCount,
                     const QString &separator)
{
    const QString root = mountPoint.endsWith(QLatin1Char('/')) ? mountPoint : mountPoint + QLatin1Char('/');
    const QString below = folder.startsWith(root) ? folder.mid(root.size()) : QString();
    QString name;
    int level = 1;
    for (const QChar c : below) {
        const bool isSeparator = c == QLatin1Char('/');
        if (isSeparator)
            ++level;
        if (stripCount >= level)
            continue;
        if (isSeparator) {
            if (!name.isEmpty()) // no separator in front of the first name kept
                name += separator;
        } else {
            name += c;
        }
    }
    return name;
}

} // namespace settings

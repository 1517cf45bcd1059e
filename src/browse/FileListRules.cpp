#include "browse/FileListRules.h"

#include <algorithm>
#include <vector>

namespace browse {

namespace {

bool endsInOneOf(const QString &name, std::initializer_list<QLatin1StringView> endings)
{
    return std::any_of(endings.begin(), endings.end(), [&](QLatin1StringView ending) {
        return name.endsWith(ending, Qt::CaseInsensitive);
    });
}

bool isTodaysPicture(const QString &name)
{
    return endsInOneOf(name, {QLatin1StringView("PNG"), QLatin1StringView("WEBP"), QLatin1StringView("TIF"),
                              QLatin1StringView("TIFF"), QLatin1StringView("HEIC"), QLatin1StringView("HEIF"),
                              QLatin1StringView("AVIF")});
}

bool isTodaysMovie(const QString &name)
{
    return endsInOneOf(name, {QLatin1StringView("MP4"), QLatin1StringView("MKV"), QLatin1StringView("WEBM"),
                              QLatin1StringView("3GP"), QLatin1StringView("M4V")});
}

} // namespace

bool isListedFileName(const QString &name, FileKinds kinds)
{
    if (name.startsWith(QLatin1Char('.')))
        return false;
    if (endsInOneOf(name, {QLatin1StringView(".jpg"), QLatin1StringView(".gif"), QLatin1StringView(".bmp"),
                           QLatin1StringView(".jpeg"), QLatin1StringView(".mov"), QLatin1StringView(".mpeg"),
                           QLatin1StringView(".mpg"), QLatin1StringView(".avi")}))
        return true;
    return kinds == FileKinds::Today &&
           endsInOneOf(name, {QLatin1StringView(".png"), QLatin1StringView(".webp"), QLatin1StringView(".tif"),
                              QLatin1StringView(".tiff"), QLatin1StringView(".heic"), QLatin1StringView(".heif"),
                              QLatin1StringView(".avif"), QLatin1StringView(".mp4"), QLatin1StringView(".mkv"),
                              QLatin1StringView(".webm"), QLatin1StringView(".3gp"), QLatin1StringView(".m4v")});
}

bool isPictureName(const QString &name, FileKinds kinds)
{
    return endsInOneOf(name, {QLatin1StringView("JPG"), QLatin1StringView("BMP"),
                              QLatin1StringView("GIF"), QLatin1StringView("JPEG")}) ||
           (kinds == FileKinds::Today && isTodaysPicture(name));
}

bool isMovieName(const QString &name, FileKinds kinds)
{
    return endsInOneOf(name, {QLatin1StringView("AVI"), QLatin1StringView("MPG"),
                              QLatin1StringView("MOV"), QLatin1StringView("MPEG")}) ||
           (kinds == FileKinds::Today && isTodaysMovie(name));
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

bool comesBefore(const QString &a, const QString &b)
{
    if (const int order = a.toCaseFolded().compare(b.toCaseFolded()); order != 0)
        return order < 0;
    return a < b;
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

int indexAfterDelete(int remembered, int count)
{
    if (count == 0 || remembered < 0)
        return -1;
    return std::min(remembered, count - 1);
}

int indexAfterRename(int remembered, int count)
{
    return count == 0 ? -1 : std::clamp(remembered, 0, count - 1);
}

} // namespace browse

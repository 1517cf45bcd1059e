#include "browse/FileListRules.h"

#include <algorithm>
#include <array>
#include <string_view>
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
    // Looked at by the name's last dot and a short lower-case ending: this runs for every entry
    // of a folder of perhaps 100,000 files.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (name.startsWith(QLatin1Char('.')) || dot < 0 || name.size() - dot > 5)
        return false;
    char ending[5] = {};
    for (qsizetype i = dot + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= 0x80)
            return false;
        ending[i - dot - 1] = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    static constexpr std::array<std::string_view, 8> kClassic{"jpg", "gif", "bmp", "jpeg", "mov", "mpeg", "mpg", "avi"};
    static constexpr std::array<std::string_view, 12> kToday{"png",  "webp", "tif", "tiff", "heic", "heif",
                                                             "avif", "mp4",  "mkv", "webm", "3gp",  "m4v"};
    const std::string_view suffix(ending);
    return std::ranges::find(kClassic, suffix) != kClassic.end() ||
           (kinds == FileKinds::Today && std::ranges::find(kToday, suffix) != kToday.end());
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

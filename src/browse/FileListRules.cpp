#include "browse/FileListRules.h"

#include <algorithm>
#include <array>
#include <string>
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

namespace {

// Plain ASCII folds by this step alone: only A to Z change.
char16_t foldAscii(char16_t unit)
{
    return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
}

// A name's place in the list, cheap to compare: the first sixteen code units of its folded form
// packed into two integers (camera names differ within them), then the whole folded form.
struct SortKey {
    std::array<quint64, 2> prefix;
    qsizetype foldedAt; // in the shared buffer of folded names
    qsizetype foldedSize;
    qsizetype index; // in the names being sorted
};

// Code units above 254 do not fit a byte: from the first one on the prefix is all 255, so two
// names alike up to there are told apart by their whole folded forms.
std::array<quint64, 2> prefixOf(std::u16string_view folded)
{
    std::array<quint64, 2> prefix{};
    bool saturated = false;
    for (size_t i = 0; i < 16; ++i) {
        const char16_t unit = i < folded.size() ? folded[i] : 0;
        saturated = saturated || unit >= 255;
        prefix[i / 8] = (prefix[i / 8] << 8) | (saturated ? 255 : unit);
    }
    return prefix;
}

} // namespace

void sortFileNames(QStringList &names)
{
    // Plain ASCII names (nearly all) fold by a table-free step; only the rest need Qt's folding.
    // All folded forms share one buffer, so the sort makes no allocation per name.
    std::u16string folded;
    std::vector<SortKey> keys;
    keys.reserve(size_t(names.size()));
    for (qsizetype index = 0; index < names.size(); ++index) {
        const QString &name = names.at(index);
        const qsizetype at = qsizetype(folded.size());
        const bool ascii = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii) {
            for (const QChar c : name)
                folded.push_back(foldAscii(c.unicode()));
        } else {
            const QString caseFolded = name.toCaseFolded();
            folded.append(reinterpret_cast<const char16_t *>(caseFolded.utf16()), size_t(caseFolded.size()));
        }
        keys.push_back({{}, at, qsizetype(folded.size()) - at, index});
    }
    const auto foldedOf = [&](const SortKey &key) {
        return std::u16string_view(folded).substr(size_t(key.foldedAt), size_t(key.foldedSize));
    };
    for (SortKey &key : keys)
        key.prefix = prefixOf(foldedOf(key));
    std::sort(keys.begin(), keys.end(), [&](const SortKey &a, const SortKey &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (const int order = foldedOf(a).compare(foldedOf(b)); order != 0)
            return order < 0;
        return names.at(a.index) < names.at(b.index);
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const SortKey &key : keys)
        sorted.append(std::move(names[key.index]));
    names = std::move(sorted);
}

bool comesBefore(const QString &a, const QString &b)
{
    // Plain ASCII is folded as it is compared; anything else by Qt's folding of both names.
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a.at(i).unicode(), y = b.at(i).unicode();
        if (x >= 0x80 || y >= 0x80) {
            if (const int order = a.toCaseFolded().compare(b.toCaseFolded()); order != 0)
                return order < 0;
            return a < b;
        }
        if (foldAscii(x) != foldAscii(y))
            return foldAscii(x) < foldAscii(y);
    }
    // Folding keeps a name's length, so the shorter of two names alike so far comes first.
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

void mergeFileNames(QStringList &sorted, QStringList more)
{
    sortFileNames(more);
    if (sorted.isEmpty()) { // the first names of a folder: nothing to merge with
        sorted = std::move(more);
        return;
    }
    QStringList merged;
    merged.reserve(sorted.size() + more.size());
    std::merge(std::make_move_iterator(sorted.begin()), std::make_move_iterator(sorted.end()),
               std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()),
               std::back_inserter(merged), comesBefore);
    sorted = std::move(merged);
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

int rowAfterSort(int current, int count, bool copyIsDefault)
{
    if (current < 0 || copyIsDefault)
        return reselectedIndex(current, count, copyIsDefault);
    // The moved file leaves the list: the rows after it move up by one.
    const int next = reselectedIndex(current, count - 1, false);
    return next >= current ? next + 1 : next;
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

#include "catalogue/CatalogueFormat.h"
#include "platform/TextFile.h"

using namespace catalogue;

// Any bytes read as the areas file (the groups file when FUZZ_READER is "groups") give records
// that are written out and read again unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uchar *data, size_t size)
{
    static const bool groups = qgetenv("FUZZ_READER") == "groups";
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = platform::splitLines(platform::decodeText(bytes));
    if (groups) {
        const auto parse = parseGroupLines(lines, QStringLiteral("MSGROUP.INI"));
        const auto again = parseGroupLines(groupLines(parse.groups), QStringLiteral("MSGROUP.INI"));
        if (again.groups != parse.groups || again.problem)
            qFatal("the groups written out read back otherwise");
    } else {
        const auto parse = parseAreaLines(lines, QStringLiteral("MSAREA.INI"));
        const auto again = parseAreaLines(areaLines(parse.records), QStringLiteral("MSAREA.INI"));
        if (again.records != parse.records || again.problem)
            qFatal("the areas written out read back otherwise");
    }
    return 0;
}

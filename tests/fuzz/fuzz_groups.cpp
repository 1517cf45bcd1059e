#include "catalogue/CatalogueFormat.h"
#include "platform/TextFile.h"

#include <cstdint>
#include <cstdlib>

// Any bytes read as the groups file give groups that are written out and read again unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString name = QStringLiteral("MSGROUP.INI");
    const catalogue::GroupParse parse = catalogue::parseGroupLines(platform::splitLines(platform::decodeText(bytes)), name);
    const catalogue::GroupParse again = catalogue::parseGroupLines(catalogue::groupLines(parse.groups), name);
    if (again.groups != parse.groups || again.problem)
        std::abort();
    return 0;
}

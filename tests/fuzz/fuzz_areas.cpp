#include "catalogue/CatalogueFormat.h"
#include "platform/TextFile.h"

#include <cstdint>
#include <cstdlib>

// Any bytes read as the areas file give whole records, and those records written out and read
// again are the same records.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString name = QStringLiteral("MSAREA.INI");
    const catalogue::AreaParse parse = catalogue::parseAreaLines(platform::splitLines(platform::decodeText(bytes)), name);
    const catalogue::AreaParse again = catalogue::parseAreaLines(catalogue::areaLines(parse.records), name);
    if (again.records != parse.records || again.problem)
        std::abort();
    return 0;
}

#include "platform/FileNames.h"

#include <cstdint>
#include <cstdlib>

// Every byte string a file system may hold as a name decodes and encodes back to its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (platform::encodeFileName(platform::decodeFileName(bytes)) != bytes)
        std::abort();
    return 0;
}

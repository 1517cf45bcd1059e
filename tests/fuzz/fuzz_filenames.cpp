#include "platform/FileNames.h"

// Every byte string a file system may hold as a name decodes and encodes back to its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uchar *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (platform::encodeFileName(platform::decodeFileName(bytes)) != bytes)
        qFatal("a file name did not encode back to its bytes");
    return 0;
}

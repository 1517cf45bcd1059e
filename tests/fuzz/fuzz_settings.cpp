#include "platform/TextFile.h"
#include "settings/SettingsFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

settings::Options writtenAndRead(const settings::Options &options)
{
    settings::Options read;
    if (settings::applySettingsLines(settings::settingsLines(options), read).problem)
        std::abort();
    return read;
}

} // namespace

// Any bytes read as the options file give options that can be written and read again. An empty
// text option comes back as the blank before it (the file keeps one character per option);
// from then on the options stay as they are.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    settings::Options options;
    settings::applySettingsLines(platform::splitLines(platform::decodeText(bytes)), options);
    const settings::Options once = writtenAndRead(options);
    if (!(writtenAndRead(once) == once))
        std::abort();
    return 0;
}

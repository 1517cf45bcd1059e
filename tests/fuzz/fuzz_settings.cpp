#include "platform/TextFile.h"
#include "settings/SettingsFile.h"

// Any bytes read as the options file give options that can be written and read again. An empty
// text option comes back as the blank before it (the file keeps one character per option), so
// the options stay as they are only from the second reading on.
extern "C" int LLVMFuzzerTestOneInput(const uchar *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    settings::Options read[3]; // from the bytes, then written and read once, then twice
    settings::applySettingsLines(platform::splitLines(platform::decodeText(bytes)), read[0]);
    for (int i = 1; i < 3; ++i) {
        if (settings::applySettingsLines(settings::settingsLines(read[i - 1]), read[i]).problem)
            qFatal("options written out read back with a problem");
    }
    if (!(read[2] == read[1]))
        qFatal("options written out twice read back otherwise");
    return 0;
}

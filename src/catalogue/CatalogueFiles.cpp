#include "catalogue/CatalogueFiles.h"

#include "platform/ProgramDirectory.h"
#include "platform/TextFile.h"

#include <QFile>
#include <optional>

namespace catalogue {

AreaParse readAreaFile()
{
    const platform::TextFileRead read = platform::readTextLines(platform::programFile(kAreaFileName));
    if (read.failure)
        return {{}, read.failure};
    return parseAreaLines(read.lines, kAreaFileName);
}

GroupParse readGroupFile()
{
    const platform::TextFileRead read = platform::readTextLines(platform::programFile(kGroupFileName));
    if (read.failure)
        return {{}, read.failure};
    return parseGroupLines(read.lines, kGroupFileName);
}

platform::MaybeFailure writeAreaFile(const AreaArchive &records)
{
    return platform::writeTextLines(platform::programFile(kAreaFileName), areaLines(records));
}

platform::MaybeFailure appendAreaRecord(const AreaRecord &record)
{
    return platform::appendTextLines(platform::programFile(kAreaFileName), areaLines(record));
}

platform::MaybeFailure writeGroupFile(const QStringList &groups)
{
    return platform::writeTextLines(platform::programFile(kGroupFileName), groupLines(groups));
}

platform::MaybeFailure appendGroup(const QString &group)
{
    return platform::appendTextLines(platform::programFile(kGroupFileName), groupLines({group}));
}

platform::MaybeFailure writeCatalogue(const AreaArchive &records, const QStringList &groups)
{
    const QString areaPath = platform::programFile(kAreaFileName);
    std::optional<QByteArray> before;
    if (QFile file(areaPath); file.open(QIODevice::ReadOnly))
        before = file.readAll();
    if (platform::MaybeFailure failure = writeAreaFile(records))
        return failure;
    platform::MaybeFailure failure = writeGroupFile(groups);
    if (failure) {
        if (before)
            platform::replaceFileAtomically(areaPath, *before);
        else
            QFile::remove(areaPath);
    }
    return failure;
}

} // namespace catalogue

#include "catalogue/CatalogueFormat.h"

#include <array>
#include <cerrno>

namespace catalogue {

namespace {

constexpr std::array<QLatin1StringView, 4> kAreaKeys = {
    QLatin1StringView("AREA="), QLatin1StringView("GROUP="), QLatin1StringView("PATH="),
    QLatin1StringView("SHORTCUT=")};
constexpr QLatin1StringView kGroupKey("GROUP=");

platform::Failure badLine(int lineNumber, const QString &fileName)
{
    return platform::Failure::system(EINVAL, QStringLiteral("Invalid argument: line %1 of %2 is shorter than its key")
                                                 .arg(lineNumber)
                                                 .arg(fileName));
}

void keepFirst(platform::MaybeFailure &problem, const platform::Failure &failure)
{
    if (!problem)
        problem = failure;
}

} // namespace

AreaParse parseAreaLines(const QStringList &lines, const QString &fileName)
{
    AreaParse parse;
    const qsizetype recordSize = qsizetype(kAreaKeys.size());
    for (qsizetype first = 0; first < lines.size(); first += recordSize) {
        if (lines.size() - first < recordSize) {
            keepFirst(parse.problem,
                      {platform::FailureKind::InputPastEndOfFile, QStringLiteral("Input past end of file")});
            break;
        }
        std::array<QString, 4> values;
        bool whole = true;
        for (qsizetype field = 0; field < recordSize && whole; ++field) {
            const QString &line = lines.at(first + field);
            const qsizetype keyLength = kAreaKeys[field].size();
            if (line.size() < keyLength) {
                keepFirst(parse.problem, badLine(int(first + field + 1), fileName));
                whole = false;
            } else {
                values[field] = line.mid(keyLength);
            }
        }
        if (whole)
            parse.records.append({values[0], values[1], values[2], values[3]});
    }
    return parse;
}

GroupParse parseGroupLines(const QStringList &lines, const QString &fileName)
{
    GroupParse parse;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.size() < kGroupKey.size())
            keepFirst(parse.problem, badLine(int(i + 1), fileName));
        else
            parse.groups.append(line.mid(kGroupKey.size()));
    }
    return parse;
}

QStringList areaLines(const AreaRecord &record)
{
    return {kAreaKeys[0] + record.name, kAreaKeys[1] + record.group, kAreaKeys[2] + record.path,
            kAreaKeys[3] + record.shortcut};
}

QStringList areaLines(const AreaArchive &records)
{
    QStringList lines;
    for (const AreaRecord &record : records)
        lines += areaLines(record);
    return lines;
}

QStringList groupLines(const QStringList &groups)
{
    QStringList lines;
    for (const QString &group : groups)
        lines.append(kGroupKey + group);
    return lines;
}

} // namespace catalogue

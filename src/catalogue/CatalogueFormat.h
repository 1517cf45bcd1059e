#pragma once

#include "catalogue/AreaRecord.h"
#include "platform/Failure.h"

#include <QStringList>

namespace catalogue {

// The areas file holds four lines per area ("AREA=", "GROUP=", "PATH=", "SHORTCUT=" and the
// value); the groups file one "GROUP=" line per group. Readers drop the key's length of
// characters without comparing the key itself.

struct AreaParse {
    AreaArchive records;
    platform::MaybeFailure problem; // the first bad line or incomplete record met
};

struct GroupParse {
    QStringList groups;
    platform::MaybeFailure problem; // the first bad line met
};

// A bad line (empty, or shorter than its key) is reported once and skipped: a bad group line
// alone, a bad area line with the whole record it belongs to, so every whole record after it
// is still read. A record cut short by the end of the file is reported and left out.
AreaParse parseAreaLines(const QStringList &lines, const QString &fileName);
GroupParse parseGroupLines(const QStringList &lines, const QString &fileName);

QStringList areaLines(const AreaArchive &records);
QStringList areaLines(const AreaRecord &record);
QStringList groupLines(const QStringList &groups);

} // namespace catalogue

#pragma once

#include "catalogue/CatalogueFormat.h"

namespace catalogue {

inline constexpr QLatin1StringView kAreaFileName("MSAREA.INI");
inline constexpr QLatin1StringView kGroupFileName("MSGROUP.INI");

// The catalogue files in the program's directory. A read reports a missing file as
// FileNotFound, which callers pass over silently.
AreaParse readAreaFile();
GroupParse readGroupFile();

platform::MaybeFailure writeAreaFile(const AreaArchive &records);
platform::MaybeFailure appendAreaRecord(const AreaRecord &record);
platform::MaybeFailure writeGroupFile(const QStringList &groups);
platform::MaybeFailure appendGroup(const QString &group);
// Rewrites both files as one change: when the groups file cannot be written, the areas file
// gets its former bytes back, so a group is never renamed or deleted in one file only.
platform::MaybeFailure writeCatalogue(const AreaArchive &records, const QStringList &groups);

} // namespace catalogue

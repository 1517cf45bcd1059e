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

} // namespace catalogue

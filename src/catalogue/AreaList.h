#pragma once

#include "catalogue/AreaRecord.h"

#include <QStringList>

namespace catalogue {

// The areas whose group field equals group exactly (letter case and blanks count), in
// alphabetical order of their names without regard to letter case; equal names stay twice.
AreaArchive areasOfGroup(const AreaArchive &archive, const QString &group);

} // namespace catalogue

#pragma once

#include "catalogue/AreaRecord.h"

#include <QStringList>

namespace catalogue {

// The names of the areas whose group field equals group exactly (letter case and blanks
// count), in alphabetical order without regard to letter case; equal names stay listed twice.
QStringList areaNamesOfGroup(const AreaArchive &archive, const QString &group);

} // namespace catalogue

#pragma once

#include <QString>

namespace settings {

// The strip count as the options hold it: one digit; anything that is not a number strips none.
int stripCount(const QString &text);

// The name proposed for an area in folder: the names of its folders below the volume's mount
// point, without the first stripCount of them, joined by separator. Empty for the mount point
// itself and for a folder that is not deeper than stripCount levels.
QString areaAutoname(const QString &folder, const QString &mountPoint, int stripCount,
                     const QString &separator);

} // namespace settings

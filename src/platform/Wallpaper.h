#pragma once

#include <QString>

namespace platform {

// Makes the picture at path the desktop's background, with the running desktop's own setting.
// True only when the file is a picture the desktop can show and the desktop, asked again,
// names exactly that file.
bool setDesktopWallpaper(const QString &path);

} // namespace platform

#pragma once

#include <QString>

namespace platform {

// Why no window can be opened (no display and no platform chosen), or an empty text.
QString missingDisplayMessage();

} // namespace platform

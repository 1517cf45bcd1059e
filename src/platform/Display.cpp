#include "platform/Display.h"

#include <QtGlobal>

namespace platform {

QString missingDisplayMessage()
{
    if (qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
        qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return {};
    return QStringLiteral(
        "Shelfmaster needs a graphical desktop, but no display was found (neither DISPLAY nor "
        "WAYLAND_DISPLAY is set).\n"
        "Start it from a desktop session, or run it on a virtual display:\n"
        "    xvfb-run -a ./build/release/src/shelfmaster\n");
}

} // namespace platform

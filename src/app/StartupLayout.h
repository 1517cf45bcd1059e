#pragma once

#include <QRectF>

namespace app {

// Where start-up puts the three long-lived windows (outer rectangles in twips): the viewer on
// the left half of the screen, the main window on the right half, the palette under the main
// window with the main window's width and its own height.
struct StartupPlacement {
    QRectF viewer;
    QRectF main;
    QRectF palette;
};

StartupPlacement startupPlacement(double screenWidth, double screenHeight, double paletteHeight);

} // namespace app

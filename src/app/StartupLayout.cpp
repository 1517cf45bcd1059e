#include "app/StartupLayout.h"

#include <cmath>

namespace app {

StartupPlacement startupPlacement(double screenWidth, double screenHeight, double paletteHeight)
{
    const double half = std::floor(screenWidth / 2);
    StartupPlacement placement;
    placement.viewer = QRectF(0, 0, half, screenHeight);
    placement.main = QRectF(placement.viewer.width(), 0, half, screenHeight - paletteHeight);
    placement.palette = QRectF(placement.main.left(), placement.main.height(), placement.main.width(),
                               paletteHeight);
    return placement;
}

} // namespace app

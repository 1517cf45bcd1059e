#include "app/MainLayout.h"

namespace app {

namespace {

// Sizes the controls refuse (negative ones) leave the old value in place.
void assignSize(float &size, double value)
{
    if (value >= 0)
        size = float(value);
}

} // namespace

MainControls designedMainControls()
{
    return {
        .File1 = {0, 360, 2295, 2235},
        .Drive1 = {0, 2640, 2295, 315},
        .Dir1 = {-120, 3000, 2415, 1665},
        .cmbCatalog = {2400, 390, 2775, 315},
        .lstArea = {2400, 720, 2775, 3960},
    };
}

void layOutMainControls(MainControls &c, const ClientSize &client)
{
    const double sw = client.width;
    const double sh = client.height;
    const double tbH = client.toolbarHeight;
    const double sbH = client.statusHeight;

    assignSize(c.File1.width, sw * 0.45);
    assignSize(c.Drive1.width, sw * 0.45);
    assignSize(c.Dir1.width, sw * 0.45);
    c.File1.left = 0;
    c.Drive1.left = 0;
    c.Dir1.left = 0;
    assignSize(c.cmbCatalog.width, sw * 0.55 - 100);
    assignSize(c.lstArea.width, sw * 0.55 - 100);
    c.cmbCatalog.left = float(double(c.Drive1.width) + 50);
    c.lstArea.left = float(double(c.Drive1.width) + 50);
    assignSize(c.lstArea.height, sh - c.cmbCatalog.height - tbH - sbH - 50);
    assignSize(c.File1.height, sh * 0.55);
    assignSize(c.Dir1.height, sh * 0.45 - c.Drive1.height - tbH - sbH + 50);
    c.Drive1.top = float(double(c.File1.height) + c.Drive1.height + 100);
    c.Dir1.top = float(double(c.Drive1.top) + c.Drive1.height + 50);
}

} // namespace app

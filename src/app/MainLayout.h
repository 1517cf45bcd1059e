#pragma once

namespace app {

// A control's rectangle in twips, single precision as the layout stores it.
struct Box {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const Box &) const = default;
};

// The main window's two columns: files, drive and folders on the left, groups and areas on
// the right.
struct MainControls {
    Box File1;
    Box Drive1;
    Box Dir1;
    Box cmbCatalog;
    Box lstArea;

    bool operator==(const MainControls &) const = default;
};

struct ClientSize {
    double width = 0;         // SW
    double height = 0;        // SH
    double toolbarHeight = 0; // tbH
    double statusHeight = 0;  // sbH
};

// The controls as they stand before the first resize.
MainControls designedMainControls();

// The resize rule: 45 % of the width to the left column and 55 % to the right one, heights from
// the client height. A size that would become negative is skipped and keeps its value.
void layOutMainControls(MainControls &controls, const ClientSize &client);

} // namespace app

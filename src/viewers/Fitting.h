#pragma once

#include <QSize>

namespace viewers {

// A picture's place inside its window, in twips.
struct PictureBox {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const PictureBox &) const = default;
};

// A picture's size in HIMETRIC units (1/100 mm), as the fitting rule measures it.
QSize himetricSize(QSize pixels, double logicalDpi);

// Fits a picture into a window's inner area (innerWidth x innerHeight twips): at its natural
// size (half its HIMETRIC size, read as twips) when that fits, otherwise shrunk with its aspect
// ratio kept until it fits, and centred either way. Without a picture (0 x 0) the box stays
// as it was.
PictureBox fitPicture(QSize himetric, float innerWidth, float innerHeight, PictureBox current);

} // namespace viewers

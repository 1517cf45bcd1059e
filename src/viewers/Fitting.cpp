#include "viewers/Fitting.h"

#include <QtMath>

namespace viewers {

QSize himetricSize(QSize pixels, double logicalDpi)
{
    if (!pixels.isValid())
        return {0, 0};
    return {qRound(pixels.width() * 2540.0 / logicalDpi), qRound(pixels.height() * 2540.0 / logicalDpi)};
}

PictureBox fitPicture(QSize himetric, float innerWidth, float innerHeight, PictureBox current)
{
    if (himetric.width() == 0 && himetric.height() == 0)
        return current;
    const double w = himetric.width() / 2.0;
    const double h = himetric.height() / 2.0;
    PictureBox box = current;
    if (float(w) <= innerWidth && float(h) <= innerHeight) {
        box.width = float(w);
        box.height = float(h);
    } else {
        const double rw = (w - innerWidth) / w;
        const double rh = (h - innerHeight) / h;
        const double keep = 1 - (rw >= rh ? rw : rh);
        box.width = float(w * keep);
        box.height = float(h * keep);
    }
    box.top = float(double(innerHeight) / 2 - double(box.height) / 2);
    box.left = float(double(innerWidth) / 2 - double(box.width) / 2);
    return box;
}

} // namespace viewers

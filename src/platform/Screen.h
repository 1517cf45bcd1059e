#pragma once

#include <QRect>
#include <QRectF>
#include <optional>

class QWidget;

namespace platform {

// The screen as the program lays windows out on it: the primary screen's available area
// (pixels) and its logical resolution.
struct ScreenMetrics {
    QRect available;
    double logicalDpi = 96.0;

    double twipsPerPixel() const { return 1440.0 / logicalDpi; }
    double widthTwips() const { return available.width() * twipsPerPixel(); }
    double heightTwips() const { return available.height() * twipsPerPixel(); }
};

ScreenMetrics screenMetrics();
// Tests lay windows out on a screen of their choosing; no value restores the real one.
void setScreenMetricsOverride(std::optional<ScreenMetrics> metrics);

int twipsToPixels(double twips);
double pixelsToTwips(int pixels);

// Window rectangles in twips are relative to the top left corner of the available area and
// describe the outer frame, caption included.
QRectF outerGeometryTwips(const QWidget *window);
void setOuterGeometryTwips(QWidget *window, const QRectF &twips);
void moveOuterTwips(QWidget *window, double left, double top);
// The outer size, frame and caption included, as far as the desktop has told the frame's size:
// before a window is first shown, its frame counts as nothing.
void setOuterSizeTwips(QWidget *window, const QSizeF &twips);

// The width in pixels a label or button needs to show its whole text within the style's margins;
// 0 for other controls, for no text and for wrapped text.
int textWidthNeeded(const QWidget *control);

// Child widget geometry in twips, relative to the parent.
QRectF childGeometryTwips(const QWidget *child);
void setChildGeometryTwips(QWidget *child, const QRectF &twips);
// Places a control and hands it back, for forms built control by control.
template <class Widget>
Widget *placedTwips(Widget *child, double left, double top, double width, double height)
{
    setChildGeometryTwips(child, QRectF(left, top, width, height));
    return child;
}

} // namespace platform

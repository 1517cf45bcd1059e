#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

namespace {

std::optional<ScreenMetrics> &overrideMetrics()
{
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}

QRect toPixels(const QRectF &twips)
{
    return {twipsToPixels(twips.left()), twipsToPixels(twips.top()), twipsToPixels(twips.width()),
            twipsToPixels(twips.height())};
}

QRectF toTwips(const QRect &pixels)
{
    return {pixelsToTwips(pixels.left()), pixelsToTwips(pixels.top()), pixelsToTwips(pixels.width()),
            pixelsToTwips(pixels.height())};
}

// The frame the window manager adds around a top-level window's client area.
QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

} // namespace

ScreenMetrics screenMetrics()
{
    if (overrideMetrics())
        return *overrideMetrics();
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {QRect(0, 0, 1024, 768), 96.0};
    return {screen->availableGeometry(), screen->logicalDotsPerInch()};
}

void setScreenMetricsOverride(std::optional<ScreenMetrics> metrics)
{
    overrideMetrics() = metrics;
}

int twipsToPixels(double twips)
{
    return qRound(twips / screenMetrics().twipsPerPixel());
}

double pixelsToTwips(int pixels)
{
    return pixels * screenMetrics().twipsPerPixel();
}

QRectF outerGeometryTwips(const QWidget *window)
{
    const QPoint origin = screenMetrics().available.topLeft();
    return toTwips(window->frameGeometry().translated(-origin));
}

void setOuterGeometryTwips(QWidget *window, const QRectF &twips)
{
    const QRect outer = toPixels(twips).translated(screenMetrics().available.topLeft());
    const QMargins margins = frameMargins(window);
    window->resize(outer.width() - margins.left() - margins.right(),
                   outer.height() - margins.top() - margins.bottom());
    window->move(outer.topLeft());
}

void moveOuterTwips(QWidget *window, double left, double top)
{
    const QPoint origin = screenMetrics().available.topLeft();
    window->move(origin + QPoint(twipsToPixels(left), twipsToPixels(top)));
}

void setOuterSizeTwips(QWidget *window, const QSizeF &twips)
{
    const QMargins margins = frameMargins(window);
    window->resize(twipsToPixels(twips.width()) - margins.left() - margins.right(),
                   twipsToPixels(twips.height()) - margins.top() - margins.bottom());
}

QRectF childGeometryTwips(const QWidget *child)
{
    return toTwips(child->geometry());
}

void setChildGeometryTwips(QWidget *child, const QRectF &twips)
{
    child->setGeometry(toPixels(twips));
}

} // namespace platform

#include "platform/Screen.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

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

int textWidthNeeded(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text().isEmpty() || label->wordWrap() ? 0 : label->sizeHint().width();
    const auto *button = qobject_cast<const QAbstractButton *>(control);
    if (!button || button->text().isEmpty())
        return 0;
    if (!qobject_cast<const QPushButton *>(button))
        return button->sizeHint().width();
    // The style's margins around the text, without the least width some styles give every push
    // button with text: the designed buttons are narrower than that, and short texts fit them.
    QStyleOptionButton margins;
    margins.initFrom(button);
    const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return button->style()->sizeFromContents(QStyle::CT_PushButton, &margins, text, button).width();
}

QRectF childGeometryTwips(const QWidget *child)
{
    return toTwips(child->geometry());
}

void setChildGeometryTwips(QWidget *child, const QRectF &twips)
{
    QRect pixels = toPixels(twips);
    // The desktop's font may need more room than the design gave a text. A label grown into the
    // box beside it goes in front of it once the window is built, and lets the clicks through.
    if (const int needed = textWidthNeeded(child); needed > pixels.width()) {
        pixels.setWidth(needed);
        QMetaObject::invokeMethod(child, &QWidget::raise, Qt::QueuedConnection);
        if (qobject_cast<QLabel *>(child))
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    child->setGeometry(pixels);
}

} // namespace platform

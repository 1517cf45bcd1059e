#include "quickgroup/frmQuickGroup.h"

#include "platform/Screen.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

using namespace quickgroup;

namespace {

constexpr double kDesignedWidth = 5190;
constexpr double kDesignedHeight = 2205;
constexpr int kSnapIntervalMs = 250;

} // namespace

frmQuickGroup::frmQuickGroup(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , timLocation(new QTimer(this))
    , m_template(new QLabel(this))
    , m_handCursor(QPixmap(QStringLiteral(":/images/hand.png")), 12, 1)
{
    setObjectName(QStringLiteral("frmQuickGroup"));
    setWindowTitle(QStringLiteral("Select group"));
    setMouseTracking(true);
    resize(platform::twipsToPixels(kDesignedWidth), platform::twipsToPixels(kDesignedHeight));

    QFont font = this->font();
    font.setPointSizeF(9.75);
    font.setBold(true);
    m_template->setObjectName(QStringLiteral("lblGroup"));
    m_template->setProperty("tag", QString());
    m_template->setFont(font);
    m_template->hide();

    timLocation->setObjectName(QStringLiteral("timLocation"));
    timLocation->setInterval(kSnapIntervalMs);
    connect(timLocation, &QTimer::timeout, this, &frmQuickGroup::timLocation_Timer);
}

QLabel *frmQuickGroup::groupLabel(int index) const
{
    return index == 0 ? m_template : m_labels.at(index - 1);
}

void frmQuickGroup::removeGroupLabels()
{
    qDeleteAll(m_labels);
    m_labels.clear();
    m_places.clear();
    m_loadLayout = FlowLayout(kCreatedFirstRowTop);
}

void frmQuickGroup::addGroupLabel(const QString &name)
{
    QLabel *label = createLabel(name);
    m_labels.append(label);
    label->setProperty("tag", QString::number(m_labels.size()));
    const LabelPlace place =
        m_loadLayout.place(float(platform::pixelsToTwips(label->width())), innerWidthTwips());
    m_places.append(place);
    placeLabel(label, place);
    label->show();
}

QLabel *frmQuickGroup::createLabel(const QString &caption)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(m_template->objectName());
    label->setFont(m_template->font());
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setMouseTracking(true);
    label->installEventFilter(this);
    label->adjustSize();
    label->hide();
    return label;
}

void frmQuickGroup::placeLabel(QLabel *label, const LabelPlace &place)
{
    label->move(platform::twipsToPixels(place.left), platform::twipsToPixels(place.top));
}

float frmQuickGroup::innerWidthTwips() const
{
    return float(platform::pixelsToTwips(width()));
}

void frmQuickGroup::Form_Resize()
{
    QList<float> widths;
    for (QLabel *label : std::as_const(m_labels)) {
        label->hide();
        widths.append(float(platform::pixelsToTwips(label->width())));
    }
    m_places = resizeLayout(widths, innerWidthTwips());
    for (qsizetype i = 0; i < m_labels.size(); ++i)
        placeLabel(m_labels.at(i), m_places.at(i));
    for (QLabel *label : std::as_const(m_labels))
        label->show();
}

void frmQuickGroup::timLocation_Timer()
{
    if (!m_dockingWindow)
        return;
    const QRectF palette = platform::outerGeometryTwips(this);
    const QRectF main = platform::outerGeometryTwips(m_dockingWindow);
    if (const auto target = snapPosition(palette.topLeft(), float(main.left()), float(main.height())))
        platform::moveOuterTwips(this, target->x(), target->y());
}

bool frmQuickGroup::event(QEvent *event)
{
    // The palette has no control that takes the focus: it holds the focus exactly while it is
    // the active window, and it snaps only then.
    if (event->type() == QEvent::WindowActivate)
        timLocation->start();
    else if (event->type() == QEvent::WindowDeactivate)
        timLocation->stop();
    return QWidget::event(event);
}

void frmQuickGroup::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmQuickGroup::mouseMoveEvent(QMouseEvent *event)
{
    if (cursor().shape() != Qt::ArrowCursor)
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

bool frmQuickGroup::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    const qsizetype index = m_labels.indexOf(label);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) {
        if (cursor().shape() != Qt::BitmapCursor)
            setCursor(m_handCursor);
        return true; // the palette's own handler would put the arrow back
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint()))
            emit groupLabelClicked(int(index + 1));
    }
    return QWidget::eventFilter(watched, event);
}

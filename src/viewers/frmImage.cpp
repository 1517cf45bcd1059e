#include "viewers/frmImage.h"

#include "platform/Screen.h"
#include "viewers/Fitting.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace {
constexpr double kDesignedWidth = 5805;
constexpr double kDesignedHeight = 8640;
constexpr int kRedecodeDelayMs = 200;
} // namespace

frmImage::frmImage(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , Image1(new QLabel(this))
    , m_redecode(new QTimer(this))
{
    setObjectName(QStringLiteral("frmImage"));
    setWindowTitle(QStringLiteral("no image loaded"));
    resize(platform::twipsToPixels(kDesignedWidth), platform::twipsToPixels(kDesignedHeight));
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->installEventFilter(this);
    m_redecode->setSingleShot(true);
    m_redecode->setInterval(kRedecodeDelayMs);
    connect(m_redecode, &QTimer::timeout, this, &frmImage::decodeForNewSize);
}

platform::MaybeFailure frmImage::loadPicture(const QString &path)
{
    m_redecode->stop();
    m_path = path;
    std::optional<viewers::DecodedPicture> ahead = m_readAhead.find(path, neededPixels());
    m_fromReadAhead = ahead.has_value();
    viewers::DecodedPicture picture =
        ahead ? std::move(*ahead) : m_readAhead.decodeHere(path, neededPixels(), m_decoder);
    platform::MaybeFailure failure = picture.failure;
    showDecoded(std::move(picture));
    return failure;
}

void frmImage::readAhead(const QStringList &paths)
{
    m_readAhead.prefetch(paths, neededPixels());
}

void frmImage::clearPicture()
{
    m_redecode->stop();
    m_path.clear();
    showDecoded({});
}

void frmImage::showDecoded(viewers::DecodedPicture picture)
{
    m_picture = std::move(picture);
    if (m_picture.image.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(m_picture.image));
}

QSize frmImage::neededPixels() const
{
    // The picture is never drawn larger than the window, nor larger than its natural size.
    return size() * devicePixelRatio();
}

void frmImage::ScaleImage()
{
    const platform::ScreenMetrics screen = platform::screenMetrics();
    const QRectF current = platform::childGeometryTwips(Image1);
    const viewers::PictureBox fitted = viewers::fitPicture(
        viewers::himetricSize(m_picture.fullSize, screen.logicalDpi),
        float(platform::pixelsToTwips(width())), float(platform::pixelsToTwips(height())),
        {float(current.left()), float(current.top()), float(current.width()), float(current.height())});
    platform::setChildGeometryTwips(Image1, QRectF(fitted.left, fitted.top, fitted.width, fitted.height));
}

void frmImage::Form_Resize()
{
    m_readAhead.clear(); // decoded for the old size
    Image1->hide();
    Image1->setGeometry(rect());
    ScaleImage();
    Image1->show();
    // A picture decoded for a smaller window would look blurred when drawn larger.
    if (m_picture.reduced() && m_picture.image.width() < neededPixels().width() &&
        m_picture.image.height() < neededPixels().height())
        m_redecode->start();
}

void frmImage::decodeForNewSize()
{
    if (m_path.isEmpty())
        return;
    showDecoded(m_decoder.decode(m_path, neededPixels()));
}

void frmImage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

bool frmImage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        emit Image1Clicked();
    return QWidget::eventFilter(watched, event);
}

#include "viewers/frmShPics.h"

#include "platform/Screen.h"
#include "viewers/PictureDecoder.h"

#include <QCloseEvent>
#include <QLabel>

namespace {
constexpr double kDesignedPictureWidth = 4695;
constexpr double kDesignedPictureHeight = 3375;
constexpr double kWidthAllowance = 80;
constexpr double kHeightAllowance = 300;
} // namespace

frmShPics::frmShPics(const QString &path, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , Picture1(new QLabel(this))
    , m_path(path)
{
    setObjectName(QStringLiteral("frmShPics"));
    setAttribute(Qt::WA_DeleteOnClose);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    platform::setChildGeometryTwips(Picture1, QRectF(0, 0, kDesignedPictureWidth, kDesignedPictureHeight));
    Picture1->installEventFilter(this);
}

platform::MaybeFailure frmShPics::FixImage()
{
    const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(m_path);
    if (picture.failure)
        return picture.failure;
    if (!picture.image.isNull()) {
        Picture1->setPixmap(QPixmap::fromImage(picture.image));
        Picture1->setGeometry(QRect(QPoint(0, 0), picture.image.deviceIndependentSize().toSize()));
    }
    fitWindow();
    setWindowTitle(QStringLiteral("Picture - ") + m_path);
    return std::nullopt;
}

void frmShPics::fitWindow()
{
    const QRectF box = platform::childGeometryTwips(Picture1);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    platform::setOuterSizeTwips(this, QSizeF(box.width() + kWidthAllowance, box.height() + kHeightAllowance));
    setFixedSize(size());
}

void frmShPics::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitWindow(); // now that the frame's size is known
}

void frmShPics::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}

bool frmShPics::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonDblClick)
        close();
    return QWidget::eventFilter(watched, event);
}

#include "about/frmSplash.h"

#include "platform/Screen.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <cmath>

namespace {
constexpr int kShowMs = 3000;
}

frmSplash::frmSplash(QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , Picture1(new QLabel(this))
    , Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setModal(true);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/splash.png")));
    Picture1->adjustSize();
    Picture1->move(0, 0);
    Picture1->installEventFilter(this);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(kShowMs);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    Form_Load();
    Timer1->start();
}

void frmSplash::Form_Load()
{
    const QSizeF size(platform::pixelsToTwips(Picture1->width()),
                      platform::pixelsToTwips(Picture1->height()));
    const platform::ScreenMetrics screen = platform::screenMetrics();
    const double top = std::floor(screen.heightTwips() / 2) - size.height() / 2;
    const double left = std::floor(screen.widthTwips() / 2) - size.width() / 2;
    platform::setOuterGeometryTwips(this, QRectF(QPointF(left, top), size));
}

void frmSplash::showModal()
{
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
}

void frmSplash::keyPressEvent(QKeyEvent *)
{
    accept();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease)
        accept();
    return QDialog::eventFilter(watched, event);
}

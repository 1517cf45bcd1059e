#include "viewers/frmImage.h"

#include "platform/Screen.h"

#include <QLabel>

namespace {
constexpr double kDesignedWidth = 5805;
constexpr double kDesignedHeight = 8640;
}

frmImage::frmImage(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , Image1(new QLabel(this))
{
    setObjectName(QStringLiteral("frmImage"));
    setWindowTitle(QStringLiteral("no image loaded"));
    resize(platform::twipsToPixels(kDesignedWidth), platform::twipsToPixels(kDesignedHeight));
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
}

void frmImage::clearPicture()
{
    Image1->clear();
}

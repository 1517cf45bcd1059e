#pragma once

#include "platform/Failure.h"
#include "viewers/PictureDecoder.h"

#include <QWidget>

class QLabel;
class QTimer;

// The preview window beside the main window: the picture fitted to the window and centred.
class frmImage : public QWidget {
    Q_OBJECT

public:
    explicit frmImage(QWidget *parent = nullptr);

    // Loads the picture at the size the window needs. On failure the window shows no picture.
    platform::MaybeFailure loadPicture(const QString &path);
    // Shows no picture.
    void clearPicture();
    // Fits the picture now loaded to the window and centres it.
    void ScaleImage();
    // The picture's own size in pixels, upright; empty when there is none.
    QSize pictureSize() const { return m_picture.fullSize; }

    QLabel *Image1;

signals:
    // The user clicked the picture.
    void Image1Clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Resize();
    void decodeForNewSize();
    QSize neededPixels() const;
    void showDecoded(viewers::DecodedPicture picture);

    viewers::PictureDecoder m_decoder;
    viewers::DecodedPicture m_picture;
    QString m_path;
    // A picture decoded smaller is decoded again for a grown window once the resizing settles,
    // not at every step of a drag.
    QTimer *m_redecode;
};

#pragma once

#include "platform/Failure.h"
#include "viewers/PictureDecoder.h"
#include "viewers/ReadAhead.h"

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
    // Decodes these pictures ahead, at the size the window needs, so they show at once.
    void readAhead(const QStringList &paths);
    // Drops what was decoded ahead: the folder on show changed.
    void dropReadAhead() { m_readAhead.clear(); }
    bool isReadAhead(const QString &path) { return m_readAhead.isReady(path, neededPixels()); }
    // The size pictures are decoded for: the preview's, in device pixels.
    QSize neededPixels() const;
    // Whether the picture on show came from the read-ahead rather than a decode of its own.
    bool shownFromReadAhead() const { return m_fromReadAhead; }
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
    void showDecoded(viewers::DecodedPicture picture);

    viewers::PictureDecoder m_decoder;
    viewers::DecodedPicture m_picture;
    QString m_path;
    viewers::ReadAhead m_readAhead;
    bool m_fromReadAhead = false;
    // A picture decoded smaller is decoded again for a grown window once the resizing settles,
    // not at every step of a drag.
    QTimer *m_redecode;
};

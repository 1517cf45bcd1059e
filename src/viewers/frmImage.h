#pragma once

#include <QWidget>

class QLabel;

// The preview window beside the main window.
class frmImage : public QWidget {
    Q_OBJECT

public:
    explicit frmImage(QWidget *parent = nullptr);

    // Shows no picture.
    void clearPicture();

    QLabel *Image1;
};

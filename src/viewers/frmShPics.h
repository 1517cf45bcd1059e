#pragma once

#include "platform/Failure.h"

#include <QWidget>

class QLabel;

// A picture at its own size, in a window cut to fit it. A double click closes it.
class frmShPics : public QWidget {
    Q_OBJECT

public:
    explicit frmShPics(const QString &path, QWidget *parent = nullptr);

    // Loads the picture and fits the window to it; the window is not shown on failure.
    platform::MaybeFailure FixImage();

    QLabel *Picture1;

signals:
    // The window closed; the main window is enabled again.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitWindow();

    QString m_path;
};

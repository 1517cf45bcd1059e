#pragma once

#include <QWidget>

class QMediaPlayer;
class QToolButton;
class QVideoWidget;

// Plays one movie in a window sized to the video; closes when the movie ends or is stopped.
class frmShMovie : public QWidget {
    Q_OBJECT

public:
    explicit frmShMovie(const QString &path, QWidget *parent = nullptr);

    // Starts the movie and fits the window to it.
    void Form_Load();

    QMediaPlayer *MediaPlayer1;
    QVideoWidget *videoWidget;
    QToolButton *cmdPlay;
    QToolButton *cmdPause;
    QToolButton *cmdStop;

signals:
    // The window closed; the main window is enabled again.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void MediaPlayer1_DisplayModeChange();
    void CloseMovie();
    // A movie that cannot be played is reported once and its window closed.
    void reportFailure();
    QSize playerSize() const;

    QString m_path;
    bool m_failed = false;
};

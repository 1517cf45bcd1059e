#include "viewers/frmShMovie.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Screen.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoSink>
#include <QVideoWidget>

namespace {

constexpr double kWidthAllowance = 10;
constexpr double kHeightAllowance = 300;
// Until the first frame tells the video's size.
const QSize kPlaceholderVideoSize(320, 240);

QToolButton *playerButton(QStyle::StandardPixmap icon, const QString &tip, const char *name)
{
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setIcon(button->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

frmShMovie::frmShMovie(const QString &path, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , MediaPlayer1(new QMediaPlayer(this))
    , videoWidget(new QVideoWidget)
    , cmdPlay(playerButton(QStyle::SP_MediaPlay, QStringLiteral("Play"), "cmdPlay"))
    , cmdPause(playerButton(QStyle::SP_MediaPause, QStringLiteral("Pause"), "cmdPause"))
    , cmdStop(playerButton(QStyle::SP_MediaStop, QStringLiteral("Stop"), "cmdStop"))
    , m_path(path)
{
    setObjectName(QStringLiteral("frmShMovie"));
    setWindowTitle(QStringLiteral("Movie - "));
    setAttribute(Qt::WA_DeleteOnClose);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    videoWidget->setObjectName(QStringLiteral("videoWidget"));
    MediaPlayer1->setVideoOutput(videoWidget);
    // Without a sound device some media back ends fail as soon as an audio output is set.
    if (!QMediaDevices::audioOutputs().isEmpty())
        MediaPlayer1->setAudioOutput(new QAudioOutput(this));

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(cmdPlay);
    bar->addWidget(cmdPause);
    bar->addWidget(cmdStop);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(videoWidget, 1);
    layout->addLayout(bar);

    connect(cmdPlay, &QToolButton::clicked, MediaPlayer1, &QMediaPlayer::play);
    connect(cmdPause, &QToolButton::clicked, MediaPlayer1, &QMediaPlayer::pause);
    connect(cmdStop, &QToolButton::clicked, MediaPlayer1, &QMediaPlayer::stop);
    connect(MediaPlayer1, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) {
                if (state == QMediaPlayer::StoppedState)
                    CloseMovie();
            });
    connect(MediaPlayer1, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia)
            CloseMovie();
    });
    connect(MediaPlayer1, &QMediaPlayer::errorOccurred, this, &frmShMovie::reportFailure);
    // Some back ends never report the video's resolution; the frames always carry it. The sink
    // reports a new size while it holds its own lock, so the size is read after it returned.
    connect(videoWidget->videoSink(), &QVideoSink::videoSizeChanged, this,
            &frmShMovie::MediaPlayer1_DisplayModeChange, Qt::QueuedConnection);
}

void frmShMovie::Form_Load()
{
    // Built from the name's bytes, so names that are not valid UTF-8 play too.
    MediaPlayer1->setSource(QUrl::fromEncoded(QByteArrayLiteral("file://") +
                                              platform::encodeFileName(m_path).toPercentEncoding("/")));
    setWindowTitle(QStringLiteral("Movie - ") + m_path);
    // Some back ends wait forever on a file they already know they cannot play.
    if (MediaPlayer1->error() != QMediaPlayer::NoError) {
        reportFailure();
        return;
    }
    MediaPlayer1_DisplayModeChange();
    MediaPlayer1->play();
}

void frmShMovie::reportFailure()
{
    if (m_failed)
        return;
    m_failed = true;
    platform::message(QStringLiteral("The movie cannot be played: ") + MediaPlayer1->errorString(),
                      platform::MessageIcon::Critical);
    CloseMovie();
}

QSize frmShMovie::playerSize() const
{
    QSize video = videoWidget->videoSink()->videoSize();
    if (video.isEmpty())
        video = kPlaceholderVideoSize;
    // The bar's buttons set a least width for very small videos.
    return {std::max(video.width(), layout()->minimumSize().width()),
            video.height() + cmdStop->sizeHint().height()};
}

void frmShMovie::MediaPlayer1_DisplayModeChange()
{
    const QSize player = playerSize();
    platform::setOuterSizeTwips(this, QSizeF(platform::pixelsToTwips(player.width()) + kWidthAllowance,
                                             platform::pixelsToTwips(player.height()) + kHeightAllowance));
}

void frmShMovie::CloseMovie()
{
    close();
}

void frmShMovie::closeEvent(QCloseEvent *event)
{
    // Closing ends playback; the stop must not close the window a second time.
    const QSignalBlocker quiet(MediaPlayer1);
    MediaPlayer1->stop();
    event->accept();
    emit closed();
}

#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/Screen.h"
#include "viewers/frmImage.h"
#include "viewers/frmShMovie.h"

#include <QMediaPlayer>
#include <QProcess>
#include <QToolButton>
#include <QVideoSink>
#include <QVideoWidget>

namespace {

// Makes a three-second clip of 160 x 120 pixels; false when ffmpeg is not there.
bool makeClip(const QString &path, const QString &codec)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-t", "3",
                  "-c:v", codec, path});
    return ffmpeg.waitForFinished(30000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
           ffmpeg.exitCode() == 0;
}

} // namespace

class TestMovieWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_clips;

    // Starts the program in the folder of clips and double-clicks one of them.
    frmShMovie *openMovie(ProgramHarness &harness, const QString &name)
    {
        harness.setStartFolder(m_clips.path());
        harness.start();
        harness.doubleClickFile(name);
        return harness.main().movieWindow();
    }

private slots:
    void initTestCase()
    {
        if (!makeClip(m_clips.filePath(QStringLiteral("mpeg4.avi")), QStringLiteral("mpeg4")))
            SHELFMASTER_SKIP("ffmpeg is needed to make the test clips");
        QVERIFY(makeClip(m_clips.filePath(QStringLiteral("mjpeg.AVI")), QStringLiteral("mjpeg")));
        QVERIFY(makeClip(m_clips.filePath(QStringLiteral("mpeg1.mpg")), QStringLiteral("mpeg1video")));
        QVERIFY(makeClip(m_clips.filePath(QStringLiteral("quicktime.mov")), QStringLiteral("mpeg4")));
        QVERIFY(makeClip(m_clips.filePath(QStringLiteral("today.mp4")), QStringLiteral("mpeg4")));
        const QByteArray whole = testsupport::readBytes(m_clips.filePath(QStringLiteral("mpeg4.avi")));
        testsupport::writeBytes(m_clips.filePath(QStringLiteral("broken.avi")), whole.left(whole.size() / 3));
        testsupport::writeBytes(m_clips.filePath(QStringLiteral("noise.mpeg")), QByteArray(4000, '\x5a'));
    }

    void playsToTheEndAndCloses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("moreKinds");
        QTest::newRow("avi, mpeg-4") << "mpeg4.avi" << false;
        QTest::newRow("avi, motion jpeg") << "mjpeg.AVI" << false;
        QTest::newRow("mpeg-1") << "mpeg1.mpg" << false;
        QTest::newRow("quicktime") << "quicktime.mov" << false;
        QTest::newRow("mp4 with today's kinds") << "today.mp4" << true;
    }

    void playsToTheEndAndCloses()
    {
        QFETCH(QString, name);
        QFETCH(bool, moreKinds);
        ProgramHarness harness;
        if (moreKinds)
            harness.writeProgramFile(QStringLiteral("SHELFMASTER.INI"), "MoreKinds=1\r\n");
        QPointer<frmShMovie> movie = openMovie(harness, name);
        frmMain &main = harness.main();
        QVERIFY(movie);
        const QString path = m_clips.filePath(name);
        QCOMPARE(movie->windowTitle(), QStringLiteral("Movie - ") + path);
        QCOMPARE(main.activeFilePath(), path);
        QVERIFY(harness.program().viewer().pictureSize().isEmpty());

        // The window fits itself to the video once the first frames arrive: the video and the
        // player's bar, and the window's allowances of 10 and 300 twips.
        const int bar = movie->cmdStop->sizeHint().height();
        const QSize fitted(platform::twipsToPixels(platform::pixelsToTwips(160) + 10),
                           platform::twipsToPixels(platform::pixelsToTwips(120 + bar) + 300));
        QTRY_VERIFY_WITH_TIMEOUT(!movie || movie->frameGeometry().size() == fitted, 10000);
        QVERIFY2(movie, qPrintable(harness.messages.texts().join('\n')));
        QTRY_VERIFY_WITH_TIMEOUT(!movie, 15000);
        QVERIFY2(harness.messages.shown.isEmpty(), qPrintable(harness.messages.texts().join('\n')));
        QVERIFY(main.isEnabled());
    }

    void stopClosesAndPauseKeepsOpen()
    {
        ProgramHarness harness;
        QPointer<frmShMovie> movie = openMovie(harness, QStringLiteral("mjpeg.AVI"));
        frmMain &main = harness.main();
        QVERIFY(movie);
        QTRY_COMPARE(movie->MediaPlayer1->playbackState(), QMediaPlayer::PlayingState);

        QTest::mouseClick(movie->cmdPause, Qt::LeftButton);
        QTRY_COMPARE(movie->MediaPlayer1->playbackState(), QMediaPlayer::PausedState);
        QVERIFY(movie);

        // Another movie while one is open leaves the open one as it is.
        harness.doubleClickFile(QStringLiteral("mpeg1.mpg"));
        QCOMPARE(main.movieWindow(), movie.data());
        QCOMPARE(movie->windowTitle(), QStringLiteral("Movie - ") + m_clips.filePath(QStringLiteral("mjpeg.AVI")));
        QCOMPARE(main.activeFilePath(), m_clips.filePath(QStringLiteral("mpeg1.mpg")));

        QTest::mouseClick(movie->cmdStop, Qt::LeftButton);
        QTRY_VERIFY(!movie);
    }

    void brokenMovieEndsWithoutHanging_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("message");
        // A movie cut short plays as far as it goes.
        QTest::newRow("cut short") << "broken.avi" << false;
        QTest::newRow("not a movie") << "noise.mpeg" << true;
    }

    void brokenMovieEndsWithoutHanging()
    {
        QFETCH(QString, name);
        QFETCH(bool, message);
        ProgramHarness harness;
        QPointer<frmShMovie> movie = openMovie(harness, name);
        frmMain &main = harness.main();
        QTRY_VERIFY_WITH_TIMEOUT(!movie, 10000);
        QVERIFY(main.isEnabled());
        if (message) {
            QCOMPARE(harness.messages.shown.size(), 1);
            QVERIFY(harness.messages.shown.first().text.startsWith("The movie cannot be played: "));
        }
    }
};

SHELFMASTER_TEST_MAIN(TestMovieWindow)
#include "tst_moviewindow.moc"

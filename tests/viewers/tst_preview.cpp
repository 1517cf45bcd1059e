#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/Screen.h"
#include "viewers/frmImage.h"
#include "viewers/frmShPics.h"

#include <QAction>
#include <QLabel>

using platform::MessageIcon;

namespace {

QSize twipsToPixels(QSizeF twips)
{
    return {platform::twipsToPixels(twips.width()), platform::twipsToPixels(twips.height())};
}

} // namespace

// A folder with pictures of known sizes, a movie and a broken picture; 15 twips to the pixel.
class PreviewFixture {
    QTemporaryDir m_folder;

public:
    PreviewFixture()
    {
        testsupport::writePicture(m_folder.filePath(QStringLiteral("holiday.JPEG")), QSize(400, 300));
        testsupport::writePicture(m_folder.filePath(QStringLiteral("huge.jpg")), QSize(3000, 1000));
        testsupport::writePicture(m_folder.filePath(QStringLiteral("tiny.gif")));
        testsupport::writeBytes(m_folder.filePath(QStringLiteral("bad.jpg")), "no picture in here");
        testsupport::writeBytes(m_folder.filePath(QStringLiteral("clip.avi")), "a movie");
        harness.setStartFolder(m_folder.path());
        harness.start();
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }
    frmMain &main() { return harness.main(); }
    frmImage &viewer() { return harness.program().viewer(); }

    ProgramHarness harness;
};

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void clickShowsThePictureFitted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSizeF>("shown"); // twips
        // 400 x 300 pixels are 5291.5 x 3969 twips at their natural size: that fits.
        QTest::newRow("natural size") << "holiday.JPEG" << QSizeF(5291.5, 3969);
        QTest::newRow("shrunk to the width") << "huge.jpg" << QSizeF();
    }

    void clickShowsThePictureFitted()
    {
        QFETCH(QString, name);
        QFETCH(QSizeF, shown);
        PreviewFixture f;
        f.main().btnDelete->setEnabled(false);
        f.harness.clickFile(name);

        QVERIFY(f.harness.messages.shown.isEmpty());
        QCOMPARE(f.main().activeFilePath(), f.path(name));
        QCOMPARE(f.viewer().windowTitle(), f.path(name));
        QVERIFY(f.main().btnDelete->isEnabled());
        QLabel *image = f.viewer().Image1;
        QVERIFY(image->isVisible());
        if (shown.isEmpty()) // as wide as the window, the height in proportion
            shown = QSizeF(platform::pixelsToTwips(f.viewer().width()),
                           platform::pixelsToTwips(f.viewer().width()) / 3);
        QVERIFY(qAbs(image->width() - twipsToPixels(shown).width()) <= 1);
        QVERIFY(qAbs(image->height() - twipsToPixels(shown).height()) <= 1);
        QVERIFY((image->geometry().center() - f.viewer().rect().center()).manhattanLength() <= 2);
    }

    void growingViewerDecodesAgain()
    {
        PreviewFixture f;
        f.viewer().resize(300, 300);
        f.harness.clickFile(QStringLiteral("huge.jpg"));
        const int decoded = f.viewer().Image1->pixmap().width();
        QVERIFY(decoded <= 300);
        f.viewer().resize(900, 900);
        QTRY_VERIFY(f.viewer().Image1->pixmap().width() > decoded);
        QCOMPARE(f.viewer().pictureSize(), QSize(3000, 1000));
    }

    void clickOnAMovieEmptiesThePreview()
    {
        PreviewFixture f;
        f.harness.clickFile(QStringLiteral("holiday.JPEG"));
        f.harness.clickFile(QStringLiteral("clip.avi"));

        QVERIFY(f.viewer().Image1->pixmap().isNull());
        QCOMPARE(f.main().activeFilePath(), QString());
        QCOMPARE(f.viewer().windowTitle(), f.path(QStringLiteral("holiday.JPEG")));
        QVERIFY(f.main().btnDelete->isEnabled());
    }

    void brokenPictureIsReportedAndHidesThePreview()
    {
        PreviewFixture f;
        f.harness.clickFile(QStringLiteral("bad.jpg"));

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first().icon, MessageIcon::Critical);
        QVERIFY(f.harness.messages.shown.first().text.startsWith(QStringLiteral("481 ")));
        QCOMPARE(f.main().activeFilePath(), f.path(QStringLiteral("bad.jpg")));
        QVERIFY(!f.viewer().Image1->isVisible());

        f.viewer().resize(f.viewer().width() - 10, f.viewer().height());
        QVERIFY(f.viewer().Image1->isVisible());
    }

    void doubleClickOpensThePictureWindow()
    {
        PreviewFixture f;
        f.harness.doubleClickFile(QStringLiteral("holiday.JPEG"));
        QPointer<frmShPics> window = f.main().pictureWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Picture - ") + f.path(QStringLiteral("holiday.JPEG")));
        // 400 x 300 pixels are 6000 x 4500 twips; the window adds 80 and 300.
        QCOMPARE(window->frameGeometry().size(), twipsToPixels(QSizeF(6080, 4800)));
        QCOMPARE(window->Picture1->size(), QSize(400, 300));
        QVERIFY(f.main().isEnabled());

        // Open already: it only comes forward, still on its picture.
        f.harness.doubleClickFile(QStringLiteral("tiny.gif"));
        QCOMPARE(f.main().pictureWindow(), window.data());
        QCOMPARE(window->windowTitle(), QStringLiteral("Picture - ") + f.path(QStringLiteral("holiday.JPEG")));

        QTest::mouseClick(window->Picture1, Qt::LeftButton);
        QVERIFY(window);
        f.main().setEnabled(false); // as while the rename dialog is open
        QTest::mouseDClick(window->Picture1, Qt::LeftButton);
        QTRY_VERIFY(!window);
        QVERIFY(f.main().isEnabled());
    }

    void viewerClickFollowsTheCurrentFile()
    {
        PreviewFixture f;
        // No current file yet: nothing opens.
        QTest::mouseClick(f.viewer().Image1, Qt::LeftButton);
        QVERIFY(!f.main().pictureWindow());

        // A movie is current: the picture window opens on the empty path, at its design size.
        f.harness.clickFile(QStringLiteral("clip.avi"));
        QTest::mouseClick(f.viewer().Image1, Qt::LeftButton);
        frmShPics *window = f.main().pictureWindow();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Picture - "));
        QCOMPARE(window->frameGeometry().size(), twipsToPixels(QSizeF(4775, 3675)));
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    void brokenPictureOpensNoWindow()
    {
        PreviewFixture f;
        f.harness.doubleClickFile(QStringLiteral("bad.jpg"));
        QVERIFY(!f.main().pictureWindow());
        // The click and the picture window each report it.
        QCOMPARE(f.harness.messages.shown.size(), 2);
        QCOMPARE(f.harness.messages.shown.last().icon, MessageIcon::Critical);
    }

    // The picture that follows is decoded while the user looks at the current one and shown
    // without decoding again; a file changed on disk since is decoded afresh.
    void nextPictureIsDecodedAhead()
    {
        ProgramHarness harness;
        const QString folder = harness.startIn({"a.jpg", "b.jpg", "c.jpg"});
        frmImage &viewer = harness.program().viewer();
        frmMain &main = harness.main();
        harness.clickFile("a.jpg");
        QVERIFY(!viewer.shownFromReadAhead());
        QTRY_VERIFY(viewer.isReadAhead(folder + "/b.jpg"));
        QTest::keyClick(main.File1, Qt::Key_Space);
        QCOMPARE(main.activeFilePath(), folder + "/b.jpg");
        QVERIFY(viewer.shownFromReadAhead());
        QCOMPARE(viewer.pictureSize(), QSize(40, 30));

        QTRY_VERIFY(viewer.isReadAhead(folder + "/c.jpg"));
        testsupport::writePicture(folder + "/c.jpg", QSize(80, 50));
        QTest::keyClick(main.File1, Qt::Key_Space);
        QCOMPARE(main.activeFilePath(), folder + "/c.jpg");
        QVERIFY(!viewer.shownFromReadAhead());
        QCOMPARE(viewer.pictureSize(), QSize(80, 50));
        QVERIFY(harness.messages.shown.isEmpty());
    }
};

SHELFMASTER_TEST_MAIN(TestPreview)
#include "tst_preview.moc"

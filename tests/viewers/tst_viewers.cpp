#include "CameraFiles.h"
#include "SettingsFixture.h"
#include "platform/FileNames.h"
#include "viewers/Fitting.h"
#include "viewers/PictureDecoder.h"
#include "viewers/frmImage.h"
#include "viewers/frmShMovie.h"

#include <QAbstractButton>
#include <QImageWriter>
#include <QMediaPlayer>
#include <QProcess>
#include <libheif/heif.h>
#include <thread>

namespace {

// Blue with a red top left quarter, in the kind its name ends in (HEIC by libheif's own encoder);
// stored turned when asked.
bool writeSample(const QString &path, QSize size, bool turned = false)
{
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(Qt::blue);
    QPainter(&picture).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::red);
    QImageWriter writer(path);
    writer.setTransformation(turned ? QImageIOHandler::TransformationRotate90 : QImageIOHandler::TransformationNone);
    if (path.endsWith(QLatin1String(".dng"))) return testsupport::writeDng(path, picture, turned ? 6 : 1), true;
    if (!path.endsWith(QLatin1String(".heic"))) return writer.write(picture);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_image_create(size.width(), size.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, size.width(), size.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < size.height(); ++y) std::memcpy(plane + y * stride, picture.constScanLine(y), size_t(size.width() * 3));
    const bool written = encoder && !heif_context_encode_image(context, image, encoder, nullptr, nullptr).code &&
                         !heif_context_write_to_file(context, QFile::encodeName(path).constData()).code;
    heif_image_release(image), heif_encoder_release(encoder), heif_context_free(context);
    return written;
}

// Upright, the red quarter is at the top left, or at the top right of a picture turned clockwise.
bool upright(const QImage &image, bool turned)
{
    const int near = image.width() / 8, far = image.width() * 7 / 8;
    const QColor mark = image.pixelColor(turned ? far : near, image.height() / 8),
                 across = image.pixelColor(turned ? near : far, image.height() * 7 / 8);
    return mark.red() > 200 && mark.blue() < 60 && across.blue() > 200 && across.red() < 60;
}

// The preview shows its picture centred at that size, give or take a pixel.
bool showsAt(const QLabel *image, QSizeF twips)
{
    const QSize off = image->size() - QSize(platform::twipsToPixels(twips.width()), platform::twipsToPixels(twips.height()));
    return image->isVisible() && qAbs(off.width()) <= 1 && qAbs(off.height()) <= 1 &&
           (image->geometry().center() - image->parentWidget()->rect().center()).manhattanLength() <= 2;
}

// At 2540 dots per inch a pixel is one HIMETRIC unit (1/100 mm).
struct Fit { QSize pixels; double dpi; float innerWidth, innerHeight; viewers::PictureBox box; };
// A file (these bytes, else a sample of the stored size, else none) and what decoding it gives.
struct Decode { QByteArray name; QByteArray bytes; int failure = 0; QSize stored; bool turned = false; QSize bound, full, decoded; };

} // namespace

class TestViewers : public QObject {
    Q_OBJECT

private slots:
    void fitsPictures_data()
    {
        QTest::addColumn<Fit>("fit");
        QTest::newRow("smaller: natural size, centred") << Fit{{4000, 3000}, 2540, 6000, 5000, {2000, 1750, 2000, 1500}};
        QTest::newRow("twice as wide, as high") << Fit{{12000, 4000}, 2540, 3000, 2000, {0, 500, 3000, 1000}};
        QTest::newRow("tall: the height decides") << Fit{{2000, 12000}, 2540, 3000, 3000, {1250, 0, 500, 3000}};
        QTest::newRow("both too large, equal excess") << Fit{{8000, 4000}, 2540, 2000, 1000, {0, 0, 2000, 1000}};
        QTest::newRow("never enlarged") << Fit{{254, 254}, 2540, 100000, 100000, {49936.5f, 49936.5f, 127, 127}};
        QTest::newRow("96 dpi, HIMETRIC rounded") << Fit{{400, 300}, 96, 6000, 5000, {354.25f, 515.5f, 5291.5f, 3969}};
        QTest::newRow("144 dpi, exactly the window's size") << Fit{{144, 72}, 144, 1270, 635, {0, 0, 1270, 635}};
        QTest::newRow("no picture keeps the box") << Fit{QSize(), 96, 3000, 2000, {1, 2, 3, 4}};
    }
    void fitsPictures()
    {
        QFETCH(Fit, fit);
        QCOMPARE(viewers::fitPicture(viewers::himetricSize(fit.pixels, fit.dpi), fit.innerWidth, fit.innerHeight, {1, 2, 3, 4}), fit.box);
    }

    // Failures carry the number the standard error box shows.
    void decodesUprightAndNoLargerThanNeeded_data()
    {
        QTest::addColumn<Decode>("row");
        const QTemporaryDir dir; // a small HEIC whose size boxes (past their version and flags) claim 16384 x 16384 pixels
        QVERIFY(writeSample(dir.filePath("s.heic"), QSize(60, 40)));
        const QByteArray hugeHeic = testsupport::readBytes(dir.filePath("s.heic"))
            .replace(QByteArray::fromHex("6973706500000000" "0000003c00000028"), QByteArray::fromHex("6973706500000000" "0000400000004000"));
        QTest::newRow("fits the bound") << Decode{"p.jpg", {}, 0, {400, 200}, false, {500, 500}, {400, 200}, {400, 200}};
        QTest::newRow("reduced") << Decode{"p.jpg", {}, 0, {4000, 3000}, false, {400, 400}, {4000, 3000}, {400, 300}};
        QTest::newRow("phone picture, turned") << Decode{"p.jpg", {}, 0, {400, 200}, true, {}, {200, 400}, {200, 400}};
        QTest::newRow("turned and reduced") << Decode{"p.jpg", {}, 0, {400, 200}, true, {100, 100}, {200, 400}, {50, 100}};
        QTest::newRow("name not UTF-8") << Decode{"\xe9t\xe9.jpg", {}, 0, {8, 6}, false, {}, {8, 6}, {8, 6}};
        QTest::newRow("HEIC decoded smaller") << Decode{"p.heic", {}, 0, {60, 40}, false, {30, 30}, {60, 40}, {30, 20}};
        QTest::newRow("camera RAW: its preview, turned") << Decode{"p.dng", {}, 0, {400, 200}, true, {}, {200, 400}, {200, 400}};
        QTest::newRow("camera RAW, turned and reduced") << Decode{"p.dng", {}, 0, {400, 200}, true, {100, 100}, {200, 400}, {50, 100}};
        QTest::newRow("camera RAW without a preview") << Decode{"p.cr2", "no picture in here", 481};
        QTest::newRow("not a picture") << Decode{"broken.jpg", "no picture in here", 481};
        QTest::newRow("cut short") << Decode{"cut.jpg", QByteArray("\xff\xd8\xff\xe0", 4), 481};
        QTest::newRow("missing") << Decode{"gone.jpg", {}, 53};
        QTest::newRow("60000 x 60000 GIF") << Decode{"huge.gif", QByteArray::fromHex("47494638396160ea60ea0000002c0000000060ea60ea0002024c01003b"), 7};
        QTest::newRow("16384 x 16384 HEIC") << Decode{"huge.heic", hugeHeic, 7};
        QTest::newRow("no path: nothing to show") << Decode{};
    }
    void decodesUprightAndNoLargerThanNeeded()
    {
        QFETCH(Decode, row);
        const QTemporaryDir dir;
        const QString written = dir.filePath("w." + QFileInfo(QString::fromLatin1(row.name)).suffix());
        const QString path = row.name.isEmpty() ? QString() : platform::decodeFileName(QFile::encodeName(dir.path()) + '/' + row.name);
        if (!row.bytes.isNull()) testsupport::writeBytes(written, row.bytes);
        else if (row.stored.isValid()) QVERIFY2(writeSample(written, row.stored, row.turned), "no encoder for this kind here");
        ::rename(QFile::encodeName(written).constData(), platform::encodeFileName(path).constData());
        const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(path, row.bound);
        ::unlink(platform::encodeFileName(path).constData()); // QDir cannot remove what it cannot name
        QCOMPARE(picture.failure ? picture.failure->number() : 0, row.failure);
        QCOMPARE(picture.fullSize, row.full);
        QCOMPARE(picture.image.isNull() ? QSize() : picture.image.size(), row.decoded);
        QVERIFY(picture.image.isNull() || upright(picture.image, row.turned));
    }

    // Decodes under way together never hold more than the budget.
    void decodeBudget()
    {
        viewers::DecodeBudget budget(100);
        QVERIFY(!budget.reserve(101, true)); // alone too much, refused even waiting
        std::unique_ptr<viewers::DecodeBudget::Reservation> first(new viewers::DecodeBudget::Reservation(budget.reserve(60, false)));
        QVERIFY(*first && budget.reserve(40, false));
        QVERIFY(!budget.reserve(41, false));
        std::thread giveBack([&] { first.reset(); });
        QVERIFY(budget.reserve(60, true)); // waits for the memory given back
        giveBack.join();
    }

    // Pictures show fitted, the next one decoded ahead meanwhile unless it changed on disk since; a
    // movie empties the preview; a broken picture is reported in the standard error box, by the
    // click and by the picture window, which does not open.
    void previewFollowsTheCurrentFile()
    {
        SettingsFixture f("", "", {}, {"a.jpg", "b.jpg", "bad.jpg", "clip.avi", "holiday.JPEG", "huge.jpg"});
        testsupport::writePicture(f.folder("huge.jpg"), QSize(3000, 1000));
        testsupport::writeBytes(f.folder("bad.jpg"), "no picture in here");
        frmImage &viewer = f.harness.program().viewer();
        f.harness.clickFile("holiday.JPEG");
        QVERIFY(showsAt(viewer.Image1, {529, 397})); // 40 x 30 pixels at their natural size fit
        QTRY_VERIFY(viewer.isReadAhead(f.folder("huge.jpg")));
        QTest::keyClick(f.main().File1, Qt::Key_Space);
        QVERIFY(viewer.shownFromReadAhead());
        QVERIFY(showsAt(viewer.Image1, QSizeF(1, 1.0 / 3) * platform::pixelsToTwips(viewer.width()))); // to the width
        f.harness.clickFile("a.jpg");
        QTRY_VERIFY(viewer.isReadAhead(f.folder("b.jpg")));
        testsupport::writePicture(f.folder("b.jpg"), QSize(80, 50));
        QTest::keyClick(f.main().File1, Qt::Key_Space);
        QCOMPARE(viewer.pictureSize(), QSize(80, 50));
        f.harness.clickFile("clip.avi");
        QVERIFY(viewer.Image1->pixmap().isNull());
        f.harness.doubleClickFile("bad.jpg");
        QVERIFY(!f.main().pictureWindow());
        QCOMPARE(f.harness.messages.texts().replaceInStrings(QRegularExpression(" .*"), ""), QStringList(2, "481"));
    }

    // Listed only with the option, which the settings dialog saves in a file of its own, keeping
    // what else that file holds; the options file keeps its eight lines. moviesPlayToTheEnd reads it back.
    void listsTodaysKindsOnlyWithTheOption()
    {
        const QStringList classic{"a.jpg", "b.mpg"}, today{"c.png", "d.webp", "e.tif", "f.heic", "g.avif", "h.mp4", "i.mkv"};
        SettingsFixture f("", "", {}, classic + today + QStringList{"j.txt", "k.pngx"});
        QCOMPARE(f.harness.listedFiles(), classic);
        f.harness.writeProgramFile("SHELFMASTER.INI", "Other=x\r\nMoreKinds=0\r\n");
        f.harness.start();
        QCOMPARE(f.harness.listedFiles(), classic);
        f.openSettings();
        f.control<QAbstractButton>("chkMoreKinds")->click();
        f.control<QAbstractButton>("cmdExitSave")->click();
        QCOMPARE(f.programFile("SHELFMASTER.INI"), "Other=x\r\nMoreKinds=1\r\nRawFiles=0\r\n");
        QCOMPARE(f.programFile("SETTINGS.INI").count("\r\n"), 8);
        QCOMPARE(f.harness.listedFiles(), classic + today);
    }

    // Movies play to their end and their window closes by itself; broken ones end without hanging,
    // the one that is no movie at all reported. Clips are named after their codec (the name up to its first dot).
    void moviesPlayToTheEnd()
    {
        const QStringList whole{"mpeg4.avi", "mjpeg.AVI", "mpeg1video.mpg", "mpeg4.mov", "mpeg4.mp4"}, broken{"mpeg4.cut.avi", "noise.mpeg"};
        SettingsFixture f("", "", {}, whole + broken);
        QStringList arguments{"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25"}; // three seconds each
        for (const QString &name : whole + broken.first(1)) arguments << "-t" << "3" << "-c:v" << QFileInfo(name).baseName() << f.folder(name);
        if (QProcess::execute("ffmpeg", arguments) != 0)
            SHELFMASTER_SKIP("ffmpeg is needed to make the test clips");
        QFile::resize(f.folder("mpeg4.cut.avi"), QFileInfo(f.folder("mpeg4.cut.avi")).size() / 3);
        testsupport::writeBytes(f.folder("noise.mpeg"), QByteArray(4000, '\x5a'));
        f.harness.writeProgramFile("SHELFMASTER.INI", "MoreKinds=1\r\n");
        f.harness.start();
        for (const QString &name : whole + broken) {
            f.harness.doubleClickFile(name);
            QPointer<frmShMovie> movie = f.main().movieWindow();
            if (whole.contains(name)) QTRY_VERIFY2_WITH_TIMEOUT(movie && movie->MediaPlayer1->position() > 0, qPrintable(name), 10000);
            QTRY_VERIFY2_WITH_TIMEOUT(!movie, qPrintable(name), 15000);
        }
        QVERIFY(f.main().isEnabled());
        QCOMPARE(f.harness.messages.texts().replaceInStrings(QRegularExpression(":.*"), ""), QStringList{"The movie cannot be played"});
    }
};

SHELFMASTER_TEST_MAIN(TestViewers)
#include "tst_viewers.moc"

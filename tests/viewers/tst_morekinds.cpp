#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "settings/frmSettings.h"
#include "viewers/PictureDecoder.h"
#include "viewers/frmImage.h"

#include <QCheckBox>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QtEndian>
#include <libheif/heif.h>

namespace {

// A picture with a red left half, so that orientation and colours can be checked.
QImage sample(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(QRect(0, 0, size.width() / 2, size.height()), Qt::red);
    return image;
}

bool writeWithQt(const QString &path, const QByteArray &format)
{
    QImageWriter writer(path, format);
    return writer.write(sample(QSize(60, 40)));
}

// Encodes a HEIC with libheif's own encoder.
bool writeHeic(const QString &path)
{
    const QImage rgb = sample(QSize(60, 40)).convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    bool written = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
                   heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                                     &image).code == heif_error_Ok &&
                   heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8).code ==
                       heif_error_Ok;
    if (written) {
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width() * 3));
        heif_encoder_set_lossy_quality(encoder, 90);
        written = heif_context_encode_image(context, image, encoder, nullptr, nullptr).code == heif_error_Ok &&
                  heif_context_write_to_file(context, QFile::encodeName(path).constData()).code == heif_error_Ok;
    }
    if (image)
        heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return written;
}

const QStringList kClassic{"a.jpg"};
const QStringList kToday{"a.jpg", "b.png", "c.webp", "d.tiff", "e.heic", "f.mp4"};

} // namespace

class TestMoreKinds : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        testsupport::createFiles(m_folder.path(), {"a.jpg", "f.mp4", "g.txt", "h.pngx"});
        QVERIFY(writeWithQt(m_folder.filePath("b.png"), "png"));
        QVERIFY2(writeWithQt(m_folder.filePath("c.webp"), "webp"), "the WebP plugin is missing");
        QVERIFY2(writeWithQt(m_folder.filePath("d.tiff"), "tiff"), "the TIFF plugin is missing");
        QVERIFY2(writeHeic(m_folder.filePath("e.heic")), "libheif cannot encode HEIC here");
    }

    void listsTodaysKindsWithTheOption_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("no file") << QByteArray() << kClassic;
        QTest::newRow("off") << QByteArray("MoreKinds=0\r\n") << kClassic;
        QTest::newRow("on") << QByteArray("Other=x\r\nMoreKinds=1\r\n") << kToday;
    }

    void listsTodaysKindsWithTheOption()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, listed);
        ProgramHarness harness;
        if (!file.isEmpty())
            harness.writeProgramFile("SHELFMASTER.INI", file);
        harness.setStartFolder(m_folder.path());
        harness.start();
        QCOMPARE(harness.listedFiles(), listed);
        QVERIFY(harness.main().statusPanel1->text().startsWith(QString::number(listed.size()) + " file(s)"));
        QCOMPARE(harness.main().options().more.moreKinds, listed == kToday);
    }

    // The option is saved in a file of its own; the options file keeps its eight lines.
    void savedBesideTheOptionsFile()
    {
        ProgramHarness harness;
        harness.writeProgramFile("SHELFMASTER.INI", "Other=x\r\n");
        harness.setStartFolder(m_folder.path());
        harness.start();
        frmSettings &settings = harness.main().settings();
        harness.main().mnuSettings->trigger();
        settings.SSTab1->setCurrentIndex(1);
        QTest::mouseClick(settings.chkMoreKinds, Qt::LeftButton, {}, QPoint(5, settings.chkMoreKinds->height() / 2));
        settings.SSTab1->setCurrentIndex(2);
        QTest::mouseClick(settings.cmdExitSave, Qt::LeftButton);

        const QByteArray options = testsupport::readBytes(harness.programDir() + "/SETTINGS.INI");
        QCOMPARE(options.count("\r\n"), 8);
        QVERIFY(!options.contains("MoreKinds"));
        QCOMPARE(testsupport::readBytes(harness.programDir() + "/SHELFMASTER.INI"),
                 QByteArray("Other=x\r\nMoreKinds=1\r\n"));
        QCOMPARE(harness.listedFiles(), kToday);
    }

    void previewsTodaysPictures_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"b.png", "c.webp", "d.tiff", "e.heic"})
            QTest::newRow(name) << name;
    }

    void previewsTodaysPictures()
    {
        QFETCH(QString, name);
        ProgramHarness harness;
        harness.writeProgramFile("SHELFMASTER.INI", "MoreKinds=1\r\n");
        harness.setStartFolder(m_folder.path());
        harness.start();
        harness.clickFile(name);
        QVERIFY2(harness.messages.shown.isEmpty(), qPrintable(harness.messages.texts().join('\n')));
        QCOMPARE(harness.main().activeFilePath(), m_folder.filePath(name));
        QVERIFY(harness.program().viewer().Image1->isVisible());
        QCOMPARE(harness.program().viewer().pictureSize(), QSize(60, 40));

        const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(m_folder.filePath(name));
        QVERIFY(!picture.failure);
        const QColor left = picture.image.pixelColor(5, 20);
        const QColor right = picture.image.pixelColor(55, 20);
        QVERIFY2(left.red() > 200 && left.blue() < 60, qPrintable(left.name()));
        QVERIFY2(right.blue() > 200 && right.red() < 60, qPrintable(right.name()));
    }

    void heicIsDecodedSmallerForThePreview()
    {
        const viewers::DecodedPicture picture =
            viewers::PictureDecoder().decode(m_folder.filePath("e.heic"), QSize(30, 30));
        QVERIFY(!picture.failure);
        QCOMPARE(picture.fullSize, QSize(60, 40));
        QCOMPARE(picture.image.size(), QSize(30, 20));
    }

    // A small file may claim a picture of 16384 x 16384: it is refused before it is decoded.
    void heicTooLargeForMemoryIsRefused()
    {
        QByteArray bytes = testsupport::readBytes(m_folder.filePath("e.heic"));
        // Every size box: past its version and flags come the width and the height.
        for (qsizetype at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 1)) {
            qToBigEndian<quint32>(16384, bytes.data() + at + 8);
            qToBigEndian<quint32>(16384, bytes.data() + at + 12);
        }
        const QTemporaryDir dir;
        testsupport::writeBytes(dir.filePath("huge.heic"), bytes);
        const viewers::DecodedPicture picture =
            viewers::PictureDecoder().decode(dir.filePath("huge.heic"), QSize(30, 30));
        QVERIFY(picture.failure);
        QCOMPARE(picture.failure->kind, platform::FailureKind::OutOfMemory);
    }
};

SHELFMASTER_TEST_MAIN(TestMoreKinds)
#include "tst_morekinds.moc"

#include "platform/FileNames.h"
#include "viewers/Fitting.h"
#include "viewers/PictureDecoder.h"
#include "TestSupport.h"

#include <QDataStream>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using viewers::PictureBox;

Q_DECLARE_METATYPE(PictureBox)

namespace {

QString writeJpeg(const QString &path, QSize size, QImageIOHandler::Transformations turn = {})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    // Marks the stored top left corner.
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::black);
    QImageWriter writer(path, "jpeg");
    writer.setTransformation(turn);
    if (!writer.write(image))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

// A GIF whose header claims 60000 x 60000 pixels; GIF cannot be decoded reduced.
QByteArray hugeGif()
{
    QByteArray gif("GIF89a");
    QDataStream out(&gif, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(60000) << quint16(60000) << quint8(0) << quint8(0) << quint8(0);
    out << quint8(',') << quint16(0) << quint16(0) << quint16(60000) << quint16(60000) << quint8(0);
    out << quint8(2) << quint8(2) << quint8(0x4c) << quint8(0x01) << quint8(0) << quint8(';');
    return gif;
}

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void fitsPictures_data()
    {
        QTest::addColumn<QSize>("himetric");
        QTest::addColumn<float>("innerWidth");
        QTest::addColumn<float>("innerHeight");
        QTest::addColumn<PictureBox>("box");
        QTest::newRow("smaller: natural size, centred")
            << QSize(4000, 3000) << 6000.0f << 5000.0f << PictureBox{2000, 1750, 2000, 1500};
        QTest::newRow("twice as wide, exactly as high")
            << QSize(12000, 4000) << 3000.0f << 2000.0f << PictureBox{0, 500, 3000, 1000};
        QTest::newRow("tall and narrow: the height decides")
            << QSize(2000, 12000) << 3000.0f << 3000.0f << PictureBox{1250, 0, 500, 3000};
        QTest::newRow("exactly the window's size fits")
            << QSize(6000, 4000) << 3000.0f << 2000.0f << PictureBox{0, 0, 3000, 2000};
        QTest::newRow("both too large, equal excess")
            << QSize(8000, 4000) << 2000.0f << 1000.0f << PictureBox{0, 0, 2000, 1000};
        QTest::newRow("never enlarged in a huge window")
            << QSize(254, 254) << 100000.0f << 100000.0f << PictureBox{49936.5f, 49936.5f, 127, 127};
        QTest::newRow("no picture keeps the box")
            << QSize(0, 0) << 3000.0f << 2000.0f << PictureBox{1, 2, 3, 4};
    }

    void fitsPictures()
    {
        QFETCH(QSize, himetric);
        QFETCH(float, innerWidth);
        QFETCH(float, innerHeight);
        QFETCH(PictureBox, box);
        const PictureBox fitted = viewers::fitPicture(himetric, innerWidth, innerHeight, {1, 2, 3, 4});
        QCOMPARE(fitted.left, box.left);
        QCOMPARE(fitted.top, box.top);
        QCOMPARE(fitted.width, box.width);
        QCOMPARE(fitted.height, box.height);
    }

    void measuresInHimetric()
    {
        QCOMPARE(viewers::himetricSize(QSize(400, 300), 96), QSize(10583, 7938));
        QCOMPARE(viewers::himetricSize(QSize(144, 72), 144), QSize(2540, 1270));
        QCOMPARE(viewers::himetricSize(QSize(), 96), QSize(0, 0));
    }

    void decodesUprightAndNoLargerThanNeeded_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<bool>("turned");
        QTest::addColumn<QSize>("bound");
        QTest::addColumn<QSize>("full");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("full size") << QSize(400, 200) << false << QSize() << QSize(400, 200) << QSize(400, 200);
        QTest::newRow("fits the bound") << QSize(400, 200) << false << QSize(500, 500) << QSize(400, 200)
                                        << QSize(400, 200);
        QTest::newRow("reduced") << QSize(4000, 3000) << false << QSize(400, 400) << QSize(4000, 3000)
                                 << QSize(400, 300);
        QTest::newRow("phone picture, turned") << QSize(400, 200) << true << QSize() << QSize(200, 400)
                                               << QSize(200, 400);
        QTest::newRow("turned and reduced") << QSize(400, 200) << true << QSize(100, 100) << QSize(200, 400)
                                            << QSize(50, 100);
    }

    void decodesUprightAndNoLargerThanNeeded()
    {
        QFETCH(QSize, stored);
        QFETCH(bool, turned);
        QFETCH(QSize, bound);
        QFETCH(QSize, full);
        QFETCH(QSize, decoded);
        QTemporaryDir dir;
        const QString path = writeJpeg(dir.filePath(QStringLiteral("p.jpg")), stored,
                                       turned ? QImageIOHandler::TransformationRotate90
                                              : QImageIOHandler::TransformationNone);
        const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(path, bound);
        QVERIFY(!picture.failure);
        QCOMPARE(picture.fullSize, full);
        QCOMPARE(picture.image.size(), decoded);
        QCOMPARE(picture.reduced(), full != decoded);
        // Upright, the stored top left corner is at the top left, or at the top right when the
        // picture was turned clockwise.
        const QImage &image = picture.image;
        const int markX = turned ? image.width() - 2 : 1;
        QCOMPARE(qGray(image.pixel(markX, 1)) < 60, true);
        QCOMPARE(qGray(image.pixel(image.width() - 1 - markX, image.height() - 2)) > 200, true);
    }

    void reportsWhatCannotBeShown_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("not a picture") << QByteArray("no picture in here") << "broken.jpg" << 481;
        QTest::newRow("cut short") << QByteArray("\xff\xd8\xff\xe0", 4) << "cut.jpg" << 481;
        QTest::newRow("missing") << QByteArray() << "" << 53;
        QTest::newRow("60000 x 60000 GIF") << hugeGif() << "huge.gif" << 7;
    }

    void reportsWhatCannotBeShown()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(int, number);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("gone.jpg"));
        if (!name.isEmpty()) {
            path = dir.filePath(name);
            testsupport::writeBytes(path, bytes);
        }
        const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(path);
        QVERIFY(picture.failure);
        QCOMPARE(picture.failure->number(), number);
        QVERIFY(picture.image.isNull());
    }

    // The limit on what one picture may take is the decoder's own, not the whole program's.
    void allocationLimitStaysWithTheDecoder()
    {
        QTemporaryDir dir;
        const QString path = writeJpeg(dir.filePath(QStringLiteral("p.jpg")), QSize(8, 6));
        const int before = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(64);
        QVERIFY(!viewers::PictureDecoder().decode(path).failure);
        QCOMPARE(QImageReader::allocationLimit(), 64);
        QImageReader::setAllocationLimit(before);
    }

    // Decodes under way together never hold more than the budget.
    void decodeBudget_data()
    {
        QTest::addColumn<qint64>("held"); // by a decode under way
        QTest::addColumn<qint64>("wanted");
        QTest::addColumn<bool>("wait");
        QTest::addColumn<bool>("granted");
        QTest::newRow("both fit") << qint64(60) << qint64(40) << false << true;
        QTest::newRow("together too much, refused") << qint64(60) << qint64(41) << false << false;
        QTest::newRow("alone too much, refused even waiting") << qint64(0) << qint64(101) << true << false;
    }

    void decodeBudget()
    {
        QFETCH(qint64, held);
        QFETCH(qint64, wanted);
        QFETCH(bool, wait);
        QFETCH(bool, granted);
        viewers::DecodeBudget budget(100);
        const viewers::DecodeBudget::Reservation first = budget.reserve(held, false);
        QVERIFY(first);
        QCOMPARE(bool(budget.reserve(wanted, wait)), granted);
    }

    // A decode that may wait gets its memory once the one under way gives it back.
    void decodeBudgetWaitsForMemoryGivenBack()
    {
        viewers::DecodeBudget budget(100);
        std::atomic<bool> granted = false;
        std::thread waiting;
        {
            const viewers::DecodeBudget::Reservation first = budget.reserve(60, false);
            waiting = std::thread([&] { granted = bool(budget.reserve(60, true)); });
        }
        waiting.join();
        QVERIFY(granted);
        QVERIFY(budget.reserve(100, false)); // all given back
    }

    void emptyPathIsNoPicture()
    {
        const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(QString());
        QVERIFY(!picture.failure);
        QVERIFY(picture.image.isNull());
    }

    void opensNamesThatAreNotUtf8()
    {
        QTemporaryDir dir;
        const QString plain = writeJpeg(dir.filePath(QStringLiteral("p.jpg")), QSize(8, 6));
        const QByteArray odd = QFile::encodeName(dir.path()) + "/\xe9t\xe9.jpg";
        QCOMPARE(::rename(QFile::encodeName(plain).constData(), odd.constData()), 0);
        const viewers::DecodedPicture picture =
            viewers::PictureDecoder().decode(platform::decodeFileName(odd));
        QVERIFY(!picture.failure);
        QCOMPARE(picture.image.size(), QSize(8, 6));
        ::unlink(odd.constData()); // QDir cannot remove what it cannot name
    }
};

SHELFMASTER_TEST_MAIN(TestPictures)
#include "tst_pictures.moc"

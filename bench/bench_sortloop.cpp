// The sorting loop as the user lives it: for each picture, the time from the double click on
// an area to the next picture shown in the preview, for moves and copies into an area on the
// same and on another file system, beside one plain full decode of the same pictures. Camera RAW
// files (DNGs holding the same pictures as full-size previews) run the loop too, beside a decode
// of their previews alone. Without a pause the next picture has not been read ahead: that is the
// cold path.

#include "CameraFiles.h"
#include "StartProgram.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/MessageBox.h"
#include "platform/ProgramDirectory.h"
#include "platform/Screen.h"
#include "viewers/PictureDecoder.h"
#include "viewers/RawPreview.h"
#include "viewers/frmImage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPictureCount = 40;
const QSize kPictureSize(6000, 4000);

QTextStream out(stdout);

// A photograph-like picture: gradients, shapes and fine noise, different for every index.
QImage detailedPicture(int index)
{
    QImage image(kPictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, kPictureSize.width(), kPictureSize.height());
    sky.setColorAt(0, QColor::fromHsv((index * 37) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((index * 37 + 150) % 360, 200, 90));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(quint32(index + 1));
    for (int i = 0; i < 400; ++i) {
        painter.setPen(QPen(QColor::fromRgb(random.generate()), random.bounded(1, 12)));
        painter.setBrush(QColor::fromRgba((random.generate() & 0x00ffffff) | 0x60000000));
        painter.drawEllipse(QPoint(random.bounded(6000), random.bounded(4000)), random.bounded(10, 600),
                            random.bounded(10, 400));
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(24)) - 12;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                           std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    return image;
}

void makeMasters(const QString &folder, const QString &rawFolder)
{
    std::vector<std::thread> workers;
    const int threads = std::max(1u, std::thread::hardware_concurrency());
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([=] {
            for (int i = t; i < kPictureCount; i += threads) {
                const QImage picture = detailedPicture(i);
                picture.save(QStringLiteral("%1/IMG_%2.jpg").arg(folder).arg(1000 + i), "JPEG", 90);
                testsupport::writeDng(QStringLiteral("%1/IMG_%2.dng").arg(rawFolder).arg(1000 + i), picture);
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
}

// Fills the source folder with hard links to the masters: instant, and a move takes the link.
// The folder may also hold other (listed, empty) files after the pictures.
void fillSource(const QString &masters, const QString &source, int others)
{
    QDir(source).removeRecursively();
    QDir().mkpath(source);
    for (const QString &name : QDir(masters).entryList(QDir::Files))
        ::link(QFile::encodeName(masters + '/' + name).constData(), QFile::encodeName(source + '/' + name).constData());
    for (int i = 0; i < others; ++i) {
        const QByteArray path = QFile::encodeName(source + QStringLiteral("/zz_%1.jpg").arg(i, 7, 10, QLatin1Char('0')));
        ::close(::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    }
}

// Peak resident memory is counted afresh from here, once what earlier runs left to the heap went
// back: every run's program is made in this one process.
void restartPeakMemory()
{
    ::malloc_trim(0);
    QFile counter(QStringLiteral("/proc/self/clear_refs"));
    if (counter.open(QIODevice::WriteOnly))
        counter.write("5");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::vector<double> plainDecodes(const QString &folder)
{
    std::vector<double> times;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        QElapsedTimer timer;
        timer.start();
        QImageReader reader(folder + '/' + name);
        const QImage image = reader.read();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (image.isNull())
            out << "cannot decode " << name << "\n";
    }
    return times;
}

// The floor of the RAW files' cold path: their previews alone (taken out beforehand) decoded
// for the preview's size, as a JPEG would be.
std::vector<double> previewDecodes(const QString &folder, QSize bound)
{
    std::vector<double> times;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        const QString preview = folder + QStringLiteral("/../preview.jpg");
        QFile file(preview);
        file.open(QIODevice::WriteOnly);
        file.write(viewers::readRawPreview(folder + '/' + name).jpeg);
        file.close();
        QElapsedTimer timer;
        timer.start();
        const viewers::DecodedPicture picture = viewers::PictureDecoder().decode(preview, bound);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (picture.image.isNull())
            out << "cannot decode the preview of " << name << "\n";
    }
    return times;
}

// Tells of every paint of the widget it watches, once the widget painted.
class PaintClock : public QObject {
public:
    explicit PaintClock(std::function<void()> painted)
        : m_painted(std::move(painted))
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        watched->event(event);
        m_painted();
        return true;
    }

private:
    std::function<void()> m_painted;
};

struct Loop {
    std::vector<double> times;
    QSize previewBound; // the size pictures are decoded for in the preview
    qint64 peakMb = 0;
};

// One run of the loop: every file of the source folder sent to the area, one after the other,
// after the user looked at each for pauseMs.
Loop sortLoop(const QString &source, const QString &area, bool copy, bool raw, int pauseMs, int listed)
{
    QDir::setCurrent(source);
    app::Program program;
    startPastTheSplash(program);
    frmMain &main = program.mainWindow();
    settings::Options options = main.options();
    options.promptMove = options.promptCopy = 0;
    options.moveDefault = !copy;
    options.more.rawFiles = raw;
    main.setOptions(options);
    main.cmbCatalog->setCurrentIndex(0);
    main.lstArea->setCurrentItem(main.lstArea->findItems(area, Qt::MatchExactly).first());
    while (main.File1->ListCount() < listed) // a long folder's names arrive after the window shows
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    main.File1->setSelected(0, true);
    QApplication::processEvents();

    // The next picture may show while the sort still writes its files: the first paint of the
    // picture shown at the end counts.
    frmImage &viewer = program.viewer();
    QElapsedTimer timer;
    QList<std::pair<QString, qint64>> painted;
    PaintClock clock([&] { painted.append({viewer.windowTitle(), timer.nsecsElapsed()}); });
    viewer.Image1->installEventFilter(&clock);
    std::vector<double> times;
    for (int i = 0; i < kPictureCount - 1; ++i) {
        if (pauseMs > 0) {
            QEventLoop looking;
            QTimer::singleShot(pauseMs, &looking, &QEventLoop::quit);
            looking.exec();
        }
        painted.clear();
        timer.start();
        main.lstArea_DblClick();
        viewer.repaint();
        const auto first = std::ranges::find(painted, viewer.windowTitle(), &std::pair<QString, qint64>::first);
        times.push_back(double(first != painted.end() ? first->second : timer.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }
    return {times, program.viewer().neededPixels(), processStatusKilobytes("VmHWM:") / 1024};
}

dev_t deviceOf(const QString &path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_dev;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    app::configureApplication();
    platform::setScreenMetricsOverride(platform::ScreenMetrics{QRect(0, 0, 1920, 1080), 96});
    platform::setMessageHandler([](const platform::MessageRequest &request) {
        out << "message: " << request.text << "\n";
        return request.defaultButton;
    });

    QTemporaryDir work;
    QTemporaryDir other(QStringLiteral("/dev/shm/shelfmaster-bench-XXXXXX"));
    const bool haveOther = other.isValid() && deviceOf(other.path()) != deviceOf(work.path());
    const QString masters = work.filePath(QStringLiteral("masters"));
    const QString rawMasters = work.filePath(QStringLiteral("raw-masters"));
    const QString source = work.filePath(QStringLiteral("source"));
    QDir().mkpath(masters);
    QDir().mkpath(rawMasters);
    platform::setProgramDirectoryOverride(work.path());

    out << "Making " << kPictureCount << " pictures of " << kPictureSize.width() << " x "
        << kPictureSize.height() << " (JPEG quality 90) in " << work.path() << " ...\n";
    out.flush();
    makeMasters(masters, rawMasters);

    const std::vector<double> floor = plainDecodes(masters);
    const double floorMedian = median(floor);
    out << QStringLiteral("Plain QImageReader decode (floor): median %1 ms, worst %2 ms\n")
               .arg(floorMedian, 0, 'f', 1)
               .arg(*std::max_element(floor.begin(), floor.end()), 0, 'f', 1);

    struct Run {
        QString label;
        QString areaName;
        bool copy;
        int others = 0;
        bool raw = false;
    };
    std::vector<Run> runs{{"move, same file system", "Same", false}, {"copy, same file system", "Same", true},
                          {"move, same fs, 100,000 others", "Same", false, 100000},
                          {"copy, same fs, 100,000 others", "Same", true, 100000},
                          {"move, same fs, 1,000,000 others", "Same", false, 1000000},
                          {"RAW (DNG), move, same fs", "Same", false, 0, true}};
    if (haveOther) {
        runs.push_back({"move, other file system", "Other", false});
        runs.push_back({"copy, other file system", "Other", true});
    } else {
        out << "No second file system at /dev/shm: the other-volume runs are left out.\n";
    }
    // An argument picks the runs whose label holds it ("RAW", "1,000,000").
    const QString only = application.arguments().value(1);
    for (const Run &run : runs) {
        if (!run.label.contains(only))
            continue;
        const QString area = (run.areaName == QLatin1String("Same") ? work.path() : other.path()) +
                             QStringLiteral("/area-") + (run.copy ? "copy" : "move");
        QDir(area).removeRecursively();
        QDir().mkpath(area);
        writeCatalogue(work.path(), run.areaName, area);

        for (const int pause : {0, 500}) {
            if (run.others > 100000 && pause == 0)
                continue; // among a million files only the loop at the user's pace is measured
            fillSource(run.raw ? rawMasters : masters, source, run.others);
            QDir(area).removeRecursively();
            QDir().mkpath(area);
            // The user's pictures are on the disk long since: the benchmark's own writes are not
            // left for the loop's flushes to wait on.
            ::sync();
            restartPeakMemory();
            const Loop loop = sortLoop(source, run.areaName, run.copy, run.raw, pause, kPictureCount + run.others);
            const std::vector<double> &times = loop.times;
            const double med = median(times);
            double floor = floorMedian;
            QString target = QStringLiteral("median <= 0.4 x a full decode");
            if (run.raw) {
                floor = median(previewDecodes(rawMasters, loop.previewBound));
                target = QStringLiteral("median <= 1.2 x the preview's decode");
                out << QStringLiteral("Preview alone, decoded for the preview (RAW floor): median %1 ms\n")
                           .arg(floor, 0, 'f', 1);
            }
            if (pause > 0)
                target = QStringLiteral("median <= 16.7 ms, worst <= 33 ms");
            // A million names listed take their share too.
            target += QStringLiteral("; peak memory <= %1 MB").arg(run.others > 100000 ? 300 : 250);
            out << QStringLiteral("%1, %2 ms pause: %3 files, median %4 ms, worst %5 ms, median / floor %6, "
                                  "peak memory %7 MB (target: %8)\n")
                       .arg(run.label, -32)
                       .arg(pause, 3)
                       .arg(times.size())
                       .arg(med, 0, 'f', 1)
                       .arg(*std::max_element(times.begin(), times.end()), 0, 'f', 1)
                       .arg(med / floor, 0, 'f', 2)
                       .arg(loop.peakMb)
                       .arg(target);
            out.flush();
        }
        QDir(area).removeRecursively();
    }
    return 0;
}

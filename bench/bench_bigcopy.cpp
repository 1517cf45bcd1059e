// A 1 GB file sorted by copy to another file system (/dev/shm): throughput against cp of the
// same file in the same run, and the largest gap between two repaints of the main window while
// the copy runs (the window is asked to repaint every 10 ms, as an animation would).
#include "StartProgram.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/MessageBox.h"
#include "platform/ProgramDirectory.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {

QTextStream out(stdout);
constexpr qint64 kSize = qint64(1) << 30;

// Records when the window painted.
class PaintClock : public QObject {
public:
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 largestGap = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && clock.isValid()) {
            const qint64 now = clock.elapsed();
            if (last >= 0)
                largestGap = std::max(largestGap, now - last);
            last = now;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    app::configureApplication();
    platform::setMessageHandler([](const platform::MessageRequest &request) {
        out << "message: " << request.text << "\n";
        return request.defaultButton;
    });
    QTemporaryDir work;
    QTemporaryDir other(QStringLiteral("/dev/shm/shelfmaster-bigcopy-XXXXXX"));
    platform::setProgramDirectoryOverride(work.path());
    const QString source = work.filePath(QStringLiteral("source"));
    QDir().mkpath(source);
    const QString big = source + QStringLiteral("/big.mov");
    {
        QFile file(big);
        file.open(QIODevice::WriteOnly);
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < chunk.size(); ++i)
            chunk[i] = char(i * 131 % 251);
        for (qint64 written = 0; written < kSize; written += chunk.size())
            file.write(chunk);
    }
    QProcess::execute(QStringLiteral("sync"), {});

    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("cp"), {big, other.filePath(QStringLiteral("cp.mov"))});
    const double cpSeconds = double(timer.nsecsElapsed()) / 1e9;
    QFile::remove(other.filePath(QStringLiteral("cp.mov")));

    writeCatalogue(work.path(), QStringLiteral("Stick"), other.path());

    QDir::setCurrent(source);
    app::Program program;
    startPastTheSplash(program);
    frmMain &main = program.mainWindow();
    settings::Options options = main.options();
    options.moveDefault = false;
    options.promptCopy = 0;
    main.setOptions(options);
    main.cmbCatalog->setCurrentIndex(0);
    main.lstArea->setCurrentRow(0);
    main.File1->setSelected(0, true);
    QApplication::processEvents();

    PaintClock paints;
    main.installEventFilter(&paints);
    QTimer animation;
    QObject::connect(&animation, &QTimer::timeout, &main, [&] { main.update(); });
    animation.start(10);
    paints.clock.start();
    timer.restart();
    main.lstArea_DblClick();
    const double ourSeconds = double(timer.nsecsElapsed()) / 1e9;
    animation.stop();

    const double gib = double(kSize) / (1 << 30);
    out << QStringLiteral("cp of 1 GB to another file system:  %1 s (%2 GB/s)\n").arg(cpSeconds, 0, 'f', 2).arg(gib / cpSeconds, 0, 'f', 2);
    out << QStringLiteral("Sort by copy of the same file:      %1 s (%2 GB/s), %3 x cp's throughput (target: at least 0.8)\n")
               .arg(ourSeconds, 0, 'f', 2)
               .arg(gib / ourSeconds, 0, 'f', 2)
               .arg(cpSeconds / ourSeconds, 0, 'f', 2);
    out << QStringLiteral("Largest gap between repaints of the main window: %1 ms (target: at most 50 ms)\n")
               .arg(paints.largestGap);
    return 0;
}

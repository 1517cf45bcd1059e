// How long folders of 100,000 and 1,000,000 pictures take to list and show, the memory they need
// and how quickly the list repaints after a jump, beside a bare directory read and sort of the
// same names; then how long the window goes without painting on a share where every file-system
// call takes 5 ms (run again with the fault shim preloaded); last, the sort loop among a million
// files (the sort-loop benchmark, run for that alone).

#include "FakeMessages.h"
#include "StartProgram.h"
#include "app/frmMain.h"
#include "browse/BrowseContext.h"
#include "browse/DirListBox.h"
#include "browse/FileListBox.h"
#include "platform/ProgramDirectory.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSlowMs = 5;
constexpr int kSlowFiles = 10000;

// Mixed letter case and a few files the list leaves out, as in a real camera folder.
void createFolder(const QString &path, int count)
{
    const QByteArray folder = QFile::encodeName(path);
    for (int i = 0; i < count; ++i) {
        const std::string name = (i % 3 ? "IMG_" : "img_") + std::to_string(10000000 + (i * 7919) % count) +
                                 (i % 50 == 0 ? ".xmp" : ".jpg");
        const int fd = ::open((folder + '/' + name.c_str()).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

// The floor: the names read and sorted with letter case ignored, and nothing else.
double bareReadAndSort(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::string> names;
    DIR *dir = opendir(QFile::encodeName(path).constData());
    while (const dirent *entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return ::strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return double(timer.nsecsElapsed()) / 1e6;
}

void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void measureOpen(QTextStream &out, int count)
{
    QTemporaryDir dir;
    out << "Creating " << count << " files ...\n";
    out.flush();
    createFolder(dir.path(), count);
    const int expected = count - (count + 49) / 50;
    // The better of two, as the open after it finds the folder in the cache.
    const double bare = std::min(bareReadAndSort(dir.path()), bareReadAndSort(dir.path()));

    browse::BrowseContext context;
    browse::FileListBox list(context);
    list.resize(400, 600);
    list.show();
    QApplication::processEvents();
    const qint64 before = processStatusKilobytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    context.setPath(dir.path());
    waitUntil([&] { return context.count() == expected; });
    list.repaint();
    const double shown = double(timer.nsecsElapsed()) / 1e6;
    const qint64 after = processStatusKilobytes("VmRSS:");

    // Jumps to places all over the list, each painted at once.
    QScrollBar *bar = list.verticalScrollBar();
    double worstJump = 0;
    for (int jump = 0; jump < 200; ++jump) {
        QElapsedTimer page;
        page.start();
        bar->setValue(QRandomGenerator::global()->bounded(bar->maximum() + 1));
        list.viewport()->repaint();
        worstJump = std::max(worstJump, double(page.nsecsElapsed()) / 1e6);
    }
    out << QStringLiteral("%1 files: listed %2; bare readdir and case-ignoring sort %3 ms; open and show %4 ms "
                          "(%5 x the bare read; target: at most 1.5 x)\n")
               .arg(count)
               .arg(context.count())
               .arg(bare, 0, 'f', 1)
               .arg(shown, 0, 'f', 1)
               .arg(shown / bare, 0, 'f', 2);
    out << QStringLiteral("%1 files: worst repaint after a jump %2 ms (target: 16 ms); resident memory %3 MB, "
                          "%4 MB of it for the list (target: at most 300 MB)\n")
               .arg(count)
               .arg(worstJump, 0, 'f', 2)
               .arg(double(after) / 1024, 0, 'f', 0)
               .arg(double(after - before) / 1024, 0, 'f', 0);
    out.flush();
}

// The longest time the window thread could not paint while action ran and until done.
double worstGap(const std::function<void()> &action, const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed(), worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worst = std::max(worst, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    tick.start(1);
    QTimer::singleShot(0, action);
    QApplication::processEvents();
    waitUntil(done);
    worst = std::max(worst, clock.nsecsElapsed() - last);
    return double(worst) / 1e6;
}

int measureSlowShare(QTextStream &out)
{
    using SlowFolder = void (*)(const char *, int);
    const auto slowFolder = reinterpret_cast<SlowFolder>(::dlsym(RTLD_DEFAULT, "faultshim_slow_folder"));
    if (!slowFolder) {
        out << "The fault shim is not preloaded: no slow share.\n";
        return 1;
    }
    QTemporaryDir quick, slow;
    const QString share = slow.filePath(QStringLiteral("share"));
    QDir().mkpath(share + QStringLiteral("/area"));
    createFolder(share, kSlowFiles);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    for (int i = 0; i < 9; ++i)
        picture.save(quick.filePath(QStringLiteral("pic_%1.jpg").arg(i)));
    writeCatalogue(quick.path(), QStringLiteral("Share"), share + QStringLiteral("/area"));

    QDir::setCurrent(quick.path());
    platform::setProgramDirectoryOverride(quick.path()); // where the areas file is
    FakeMessages messages; // a box would wait for a click that never comes
    app::Program program;
    startPastTheSplash(program);
    frmMain &main = program.mainWindow();
    settings::Options options = main.options();
    options.promptMove = options.promptCopy = 0;
    main.setOptions(options);
    main.cmbCatalog->setCurrentIndex(0);
    main.lstArea->setCurrentItem(main.lstArea->item(0));
    QApplication::processEvents();
    slowFolder(QFile::encodeName(share).constData(), kSlowMs);

    const int listed = kSlowFiles - kSlowFiles / 50;
    const double open = worstGap([&] { main.Dir1->setPath(share); }, [&] { return main.File1->ListCount() == listed; });
    // Away from the share while its names still arrive.
    main.Dir1->setPath(quick.path());
    QElapsedTimer first;
    first.start();
    main.Dir1->setPath(share);
    waitUntil([&] { return main.File1->ListCount() > 0; });
    const double firstNames = double(first.nsecsElapsed()) / 1e6;
    const double switched = worstGap([&] { main.Dir1->setPath(quick.path()); }, [&] { return main.File1->ListCount() == 9; });
    main.File1->setSelected(0, true);
    const double sorted = worstGap([&] { main.lstArea_DblClick(); },
                                   [&] { return main.File1->ListCount() == 8 || !messages.shown.isEmpty(); });
    slowFolder(nullptr, 0);
    out << QStringLiteral("Share at %1 ms a call, %2 files: first names shown after %3 ms; longest without painting: "
                          "open %4 ms, a sort to it %5 ms, a folder switch during a read %6 ms (target: 50 ms)\n")
               .arg(kSlowMs)
               .arg(kSlowFiles)
               .arg(firstNames, 0, 'f', 0)
               .arg(open, 0, 'f', 1)
               .arg(sorted, 0, 'f', 1)
               .arg(switched, 0, 'f', 1);
    for (const QString &text : messages.texts())
        out << "The program said: " << text << "\n";
    return messages.shown.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream out(stdout);
    if (application.arguments().contains(QStringLiteral("--slow-share")))
        return measureSlowShare(out);
    for (const int count : {100000, 1000000})
        measureOpen(out, count);
    out.flush();
    // The slow share needs the fault shim preloaded: the same program again, with it. Then the
    // sort loop among a million files, from the sort-loop benchmark beside this one.
    QProcessEnvironment slowShare = QProcessEnvironment::systemEnvironment();
    slowShare.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SHELFMASTER_FAULTSHIM));
    const auto run = [](const QString &program, const QStringList &arguments, const QProcessEnvironment &environment) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, arguments);
        process.waitForFinished(-1);
        return process.exitCode();
    };
    const QString here = QCoreApplication::applicationDirPath();
    return run(application.applicationFilePath(), {QStringLiteral("--slow-share")}, slowShare) |
           run(here + QStringLiteral("/bench_sortloop"), {QStringLiteral("1,000,000")}, QProcessEnvironment::systemEnvironment());
}

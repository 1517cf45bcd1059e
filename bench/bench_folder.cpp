// How long a folder of 100,000 pictures takes to list and show, and how much memory it needs,
// beside a bare directory read and sort of the same names.

#include "browse/BrowseContext.h"
#include "browse/FileListBox.h"
#include "browse/FileListRules.h"
#include "platform/Folders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFileCount = 100000;

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void createFolder(const QString &path)
{
    const QByteArray folder = QFile::encodeName(path);
    for (int i = 0; i < kFileCount; ++i) {
        // Mixed letter case and a few files the list leaves out, as in a real camera folder.
        const std::string name = (i % 3 ? "IMG_" : "img_") + std::to_string(1000000 + (i * 7919) % kFileCount) +
                                 (i % 50 == 0 ? ".xmp" : ".jpg");
        const int fd = ::open((folder + '/' + name.c_str()).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

double bareReadAndSort(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::string> names;
    DIR *dir = opendir(QFile::encodeName(path).constData());
    while (const dirent *entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return double(timer.nsecsElapsed()) / 1e6;
}

double milliseconds(QElapsedTimer &timer)
{
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    out << "Creating " << kFileCount << " files in " << dir.path() << " ...\n";
    out.flush();
    createFolder(dir.path());

    const double bare = bareReadAndSort(dir.path());

    browse::BrowseContext context;
    browse::FileListBox list(context);
    list.resize(400, 600);
    list.show();
    QApplication::processEvents();

    const long before = residentKilobytes();
    QElapsedTimer timer;
    timer.start();
    context.setPath(dir.path());
    const double listed = milliseconds(timer);
    list.repaint();
    QApplication::processEvents();
    const double shown = milliseconds(timer);
    const long after = residentKilobytes();

    // Scroll through the whole list a page at a time, painting each page.
    QScrollBar *bar = list.verticalScrollBar();
    int pages = 0;
    double worstPage = 0;
    timer.restart();
    QElapsedTimer page;
    for (int value = 0; value <= bar->maximum(); value += std::max(1, bar->pageStep()) * 50) {
        page.start();
        bar->setValue(value);
        list.viewport()->repaint();
        worstPage = std::max(worstPage, double(page.nsecsElapsed()) / 1e6);
        ++pages;
    }
    const double scrolled = milliseconds(timer);

    out << "Files listed: " << list.ListCount() << " of " << kFileCount << "\n";
    out << QStringLiteral("Bare readdir and sort:          %1 ms\n").arg(bare, 0, 'f', 1);
    out << QStringLiteral("Read, filter and sort (list):   %1 ms\n").arg(listed, 0, 'f', 1);
    out << QStringLiteral("First paint:                    %1 ms\n").arg(shown, 0, 'f', 1);
    out << QStringLiteral("Open and show, total:           %1 ms (%2 x the bare read; target: at most 1.5 x)\n")
               .arg(listed + shown, 0, 'f', 1)
               .arg((listed + shown) / bare, 0, 'f', 1);
    out << QStringLiteral("Scroll, %1 jumps across the list: %2 ms, worst jump %3 ms\n")
               .arg(pages)
               .arg(scrolled, 0, 'f', 1)
               .arg(worstPage, 0, 'f', 2);
    out << QStringLiteral("Memory for the listed folder:   %1 MB\n").arg(double(after - before) / 1024, 0, 'f', 1);
    return 0;
}

// Starts Shelfmaster on a folder of pictures it draws itself, with areas in two groups, shows
// the first picture and saves a picture of the whole screen.
#include "StartProgram.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/ProgramDirectory.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

// A landscape: sky, sun and two ranges of hills, in colours that differ from picture to picture.
QImage landscape(int seed)
{
    QImage image(1600, 1067, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int hue = (seed * 47) % 360;
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor::fromHsv(hue, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 60, 255));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor(255, 220, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(300 + seed * 90 % 1000, 260), 110, 110);
    for (int range = 0; range < 2; ++range) {
        QPainterPath hills;
        hills.moveTo(0, image.height());
        for (int x = 0; x <= image.width(); x += 100) {
            const double wave = std::sin((x + seed * 130 + range * 400) / (220.0 + range * 90));
            hills.lineTo(x, 650 + range * 160 + wave * (120 - range * 40));
        }
        hills.lineTo(image.width(), image.height());
        painter.setBrush(QColor::fromHsv((hue + 120 + range * 20) % 360, 140, 150 - range * 50));
        painter.drawPath(hills);
    }
    return image;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: make_screenshot OUTPUT.png\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    app::configureApplication();
    QTemporaryDir programDir;
    QTemporaryDir root;
    platform::setProgramDirectoryOverride(programDir.path());
    const QString pictures = root.filePath(QStringLiteral("Holiday 2026"));
    QDir().mkpath(pictures);
    for (int i = 0; i < 14; ++i)
        landscape(i).save(pictures + QStringLiteral("/IMG_%1.jpg").arg(4021 + i), "JPEG", 85);
    QByteArray areas;
    for (const char *name : {"Beach", "Hills", "Sunsets", "Family", "Best of"}) {
        const QString folder = root.filePath(QStringLiteral("Sorted/") + QLatin1String(name));
        QDir().mkpath(folder);
        areas += "AREA=" + QByteArray(name) + "\r\nGROUP=Holiday\r\nPATH=" + folder.toUtf8() + "\r\nSHORTCUT=F" +
                 QByteArray::number(2 + int(areas.count("AREA="))) + "\r\n";
    }
    areas += "AREA=Prints\r\nGROUP=To do\r\nPATH=" + root.filePath("Prints").toUtf8() + "\r\nSHORTCUT=\r\n";
    write(programDir.filePath("MSGROUP.INI"), "GROUP=Holiday\r\nGROUP=To do\r\nGROUP=Archive\r\n");
    write(programDir.filePath("MSAREA.INI"), areas);
    QDir::setCurrent(pictures);

    app::Program program;
    startPastTheSplash(program, 300); // the splash shows for a moment
    frmMain &main = program.mainWindow();
    main.cmbCatalog->setCurrentIndex(0);
    main.File1->setSelected(2, true);
    main.File1_Click();
    QTimer::singleShot(1500, [&] {
        const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[1]));
        application.exit(saved ? 0 : 1);
    });
    return application.exec();
}

// Moves a file to another file system, then rewrites a settings file: the crash test kills this
// program at random points of that work.
#include "fileops/FileTransfer.h"
#include "platform/TextFile.h"

#include <QStringList>

int main(int argc, char *argv[])
{
    if (argc != 5)
        return 2;
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    const QString settings = QString::fromLocal8Bit(argv[3]);
    QStringList lines;
    for (int i = 0; i < QByteArray(argv[4]).toInt(); ++i)
        lines << QStringLiteral("NEW%1=%2").arg(i).arg(QString(64, QLatin1Char('x')));
    if (fileops::transferFile(source, target, fileops::Transfer::Move))
        return 1;
    return platform::writeTextLines(settings, lines) ? 1 : 0;
}

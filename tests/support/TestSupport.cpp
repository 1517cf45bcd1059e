#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

void writePicture(const QString &path, QSize size)
{
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        // Qt reads GIF but cannot write it.
        writeBytes(path, QByteArray::fromHex("474946383961010001008000000000"
                                             "00ffffff21f90401000000002c0000"
                                             "0000010001000002024401003b"));
        return;
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::yellow);
    const char *format = path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? "BMP" : "JPEG";
    if (!image.save(path, format))
        qFatal("cannot write %s", qPrintable(path));
}

void createFiles(const QString &folder, const QStringList &names)
{
    for (const QString &name : names) {
        const QString path = QDir(folder).filePath(name);
        const QString upper = name.toUpper();
        if (upper.endsWith(QLatin1String(".JPG")) || upper.endsWith(QLatin1String(".JPEG")) ||
            upper.endsWith(QLatin1String(".BMP")) || upper.endsWith(QLatin1String(".GIF")))
            writePicture(path);
        else
            writeBytes(path, "x");
    }
}

ScratchVolume::ScratchVolume(const char *size)
{
    const QByteArray options = QByteArray("size=") + size;
    m_mounted = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                                            options.constData()) == 0;
}

ScratchVolume::~ScratchVolume()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool ScratchVolume::makeReadOnly()
{
    return ::mount(nullptr, QFile::encodeName(m_dir.path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                   nullptr) == 0;
}

} // namespace testsupport

#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    if (QFile file(path); !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// The names in a folder, hidden ones included, sorted.
inline QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
// A real picture in the format its name ends in (JPEG, BMP; GIF, which Qt cannot write, is 1 x 1).
inline void writePicture(const QString &path, QSize size = QSize(40, 30))
{
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        return writeBytes(path, QByteArray::fromHex("47494638396101000100800000000000ffffff21f904010000"
                                                    "00002c00000000010001000002024401003b"));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::yellow);
    if (!image.save(path, path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? "BMP" : "JPEG"))
        qFatal("cannot write %s", qPrintable(path));
}
// Files named after names in folder, made if need be: pictures for picture names, a few bytes otherwise.
inline void createFiles(const QString &folder, const QStringList &names)
{
    QDir().mkpath(folder);
    static const QRegularExpression picture(QStringLiteral("(?i)\\.(jpe?g|bmp|gif)$"));
    for (const QString &name : names)
        picture.match(name).hasMatch() ? writePicture(folder + '/' + name) : writeBytes(folder + '/' + name, "x");
}
// The texts a list shows (or those of its selected entries), in order.
inline QStringList itemTexts(const QAbstractItemView &view, bool selectedOnly = false)
{
    QStringList texts;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        if (!selectedOnly || view.selectionModel()->isRowSelected(row))
            texts << view.model()->index(row, 0).data().toString();
    return texts;
}
// Clicks (or double-clicks) the entry of a list that shows this text, with the mouse. A double
// click is a press and a release, then the second press.
inline void clickItem(QAbstractItemView &view, const QString &text, bool twice = false)
{
    const qsizetype row = itemTexts(view).indexOf(text);
    if (row < 0) qFatal("%s is not listed", qPrintable(text));
    const QPoint centre = view.visualRect(view.model()->index(int(row), 0)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (twice) QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
}

// A small file system of its own, when the tests run as root and may mount one.
class ScratchVolume {
    QTemporaryDir m_dir; // not to be copied
    const QByteArray m_path = QFile::encodeName(m_dir.path());
    bool m_mounted = false;

public:
    explicit ScratchVolume(const char *size)
    {
        m_mounted = ::geteuid() == 0 && ::mount("tmpfs", m_path, "tmpfs", 0, QByteArray("size=") + size) == 0;
    }
    ~ScratchVolume() { if (m_mounted) ::umount2(m_path, MNT_DETACH); }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    bool makeReadOnly() { return ::mount(nullptr, m_path, nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
};

} // namespace testsupport

// A test that needs what the machine may lack (root, a mount, a tool) skips; in CI, where the
// set-up provides all of it, a skip is a broken set-up and fails.
#define SHELFMASTER_SKIP(reason)                                                                   \
    do { if (qEnvironmentVariableIsSet("CI")) QFAIL("CI must provide this: " reason); QSKIP(reason); } while (false)

// A QtTest main that never touches the user's own folders and needs no display.
#define SHELFMASTER_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication application(argc, argv);                                                      \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        TestClass test; return QTest::qExec(&test, argc, argv);                                    \
    }

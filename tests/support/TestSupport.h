#pragma once

#include <QApplication>
#include <QByteArray>
#include <QSize>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace testsupport {

void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
// The names in a folder, hidden ones included, sorted.
QStringList folderEntries(const QString &path);
// A real picture in the format its name ends in (JPEG, BMP; GIF is always 1 x 1).
void writePicture(const QString &path, QSize size = QSize(40, 30));
// Files named after names in folder: pictures for picture names, a few bytes otherwise.
void createFiles(const QString &folder, const QStringList &names);

// A small file system of its own, when the tests run as root and may mount one.
class ScratchVolume {
public:
    explicit ScratchVolume(const char *size);
    ~ScratchVolume();
    ScratchVolume(const ScratchVolume &) = delete;
    ScratchVolume &operator=(const ScratchVolume &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace testsupport

// A test that needs what the machine may lack (root, a mount, a tool) skips; in CI, where the
// set-up provides all of it, a skip is a broken set-up and fails.
#define SHELFMASTER_SKIP(reason)                                                                   \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("CI"))                                                       \
            QFAIL("CI must provide this: " reason);                                                \
        QSKIP(reason);                                                                             \
    } while (false)

// A QtTest main that never touches the user's own folders and needs no display.
#define SHELFMASTER_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication application(argc, argv);                                                      \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

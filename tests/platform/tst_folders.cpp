#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/Volumes.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

// Creates a file under its raw bytes, as any other program could.
void createRawFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_EXCL, 0644);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
}

} // namespace

class TestFolders : public QObject {
    Q_OBJECT

private slots:
    void fileNamesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // empty: only the round trip is checked
        QTest::newRow("ascii") << QByteArray("photo 1.jpg") << QStringLiteral("photo 1.jpg");
        QTest::newRow("utf-8") << QByteArray("\xc3\xa9t\xc3\xa9.jpg") << QStringLiteral("été.jpg");
        QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x93\xb7.jpg") << QStringLiteral("📷.jpg");
        QTest::newRow("latin-1") << QByteArray("\xe9t\xe9.jpg") << QString();
        QTest::newRow("cut sequence at the end") << QByteArray("a\xc3") << QString();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf.jpg") << QString();
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QString();
        QTest::newRow("beyond unicode") << QByteArray("\xf4\x90\x80\x80") << QString();
        QTest::newRow("lone continuation") << QByteArray("\x80\xbf") << QString();
    }

    void fileNamesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const QString name = decodeFileName(bytes);
        if (!expected.isEmpty())
            QCOMPARE(name, expected);
        else
            QVERIFY(std::any_of(name.begin(), name.end(), [](QChar c) {
                return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
            }));
        QCOMPARE(encodeFileName(name), bytes);
    }

    void readsAFolderInOnePass()
    {
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path());
        createRawFile(root + "/plain.jpg");
        createRawFile(root + "/\xe9t\xe9.jpg");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QVERIFY(::symlink("plain.jpg", (root + "/link.jpg").constData()) == 0);
        QVERIFY(::symlink("sub", (root + "/sublink").constData()) == 0);
        QVERIFY(::symlink("nowhere", (root + "/dangling.jpg").constData()) == 0);

        const FolderRead read = readFolder(dir.path());
        QVERIFY(!read.failure);
        QMap<QString, EntryKind> kinds;
        for (const FolderEntry &entry : read.entries)
            kinds.insert(entry.name, entry.kind);
        QCOMPARE(kinds.size(), 6);
        QCOMPARE(kinds.value(QStringLiteral("plain.jpg")), EntryKind::File);
        QCOMPARE(kinds.value(QStringLiteral("link.jpg")), EntryKind::File);
        QCOMPARE(kinds.value(QStringLiteral("sub")), EntryKind::Folder);
        QCOMPARE(kinds.value(QStringLiteral("sublink")), EntryKind::Folder);
        QCOMPARE(kinds.value(QStringLiteral("dangling.jpg")), EntryKind::Other);

        QStringList folders;
        for (const FolderEntry &entry : readFolder(dir.path(), EntryKind::Folder).entries)
            folders << entry.name;
        folders.sort();
        QCOMPARE(folders, (QStringList{"sub", "sublink"}));

        // The undecodable name still leads back to its file.
        const QString odd = decodeFileName("\xe9t\xe9.jpg");
        QVERIFY(kinds.contains(odd));
        struct stat info {};
        QCOMPARE(::stat(encodeFileName(joinPath(dir.path(), odd)).constData(), &info), 0);
    }

    void missingFolders_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("gone") << "gone";
        QTest::newRow("a file, not a folder") << "file.jpg";
    }

    void missingFolders()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        testsupport::writeBytes(dir.filePath(QStringLiteral("file.jpg")), "x");
        const QString path = dir.filePath(relative);
        QCOMPARE(readFolder(path).failure->kind, FailureKind::PathNotFound);
        QCOMPARE(checkFolder(path)->kind, FailureKind::PathNotFound);
    }

    void pathRules_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("joined");
        QTest::addColumn<QString>("parent");
        QTest::newRow("root") << "/" << "/a.jpg" << "";
        QTest::newRow("top level") << "/pics" << "/pics/a.jpg" << "/";
        QTest::newRow("deeper") << "/pics/2024" << "/pics/2024/a.jpg" << "/pics";
    }

    void pathRules()
    {
        QFETCH(QString, folder);
        QFETCH(QString, joined);
        QFETCH(QString, parent);
        QCOMPARE(joinPath(folder, QStringLiteral("a.jpg")), joined);
        QCOMPARE(parentFolder(folder), parent);
    }

    // In a chroot or a sandbox the mount table may not list "/": the root file system is there all the
    // same, and folders on it open.
    void rootVolumeIsReadyWhenTheMountTableLacksIt()
    {
        setVolumesOverride(QList<Volume>{{QStringLiteral("/media/stick"), QStringLiteral("USB"), true}});
        const QString volume = volumeOf(QStringLiteral("/tmp/pictures"));
        const bool ready = volumeIsReady(volume);
        setVolumesOverride(std::nullopt);
        QCOMPARE(volume, kRootVolume);
        QVERIFY(ready);
    }
};

SHELFMASTER_TEST_MAIN(TestFolders)
#include "tst_folders.moc"

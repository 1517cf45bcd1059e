#include "fileops/FileTransfer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using fileops::Transfer;
using fileops::transferFile;

Q_DECLARE_METATYPE(Transfer)

namespace {

dev_t deviceOf(const QString &path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_dev;
}

QStringList leftovers(const QString &folder)
{
    return testsupport::folderEntries(folder).filter(QStringLiteral(".shelfmaster-"));
}

const QByteArray kContents = QByteArray("picture bytes ").repeated(1000);

} // namespace

class TestFileTransfer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;
    std::unique_ptr<testsupport::ScratchVolume> m_scratch;
    QString m_otherVolume; // a folder on another file system, empty when there is none

    QString targetFolder(bool otherVolume)
    {
        const QString folder =
            (otherVolume ? m_otherVolume : m_home.path()) + QStringLiteral("/area-%1").arg(++m_areas);
        QDir().mkpath(folder);
        return folder;
    }
    int m_areas = 0;

    QString makeSource(const QString &name = QStringLiteral("photo.jpg"))
    {
        const QString path = m_home.filePath(name);
        testsupport::writeBytes(path, kContents);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QDateTime taken(QDate(2003, 7, 14), QTime(10, 20, 30), Qt::UTC);
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(taken, QFileDevice::FileModificationTime);
        return path;
    }

    void addRows()
    {
        QTest::addColumn<Transfer>("how");
        QTest::addColumn<bool>("otherVolume");
        QTest::newRow("move, same volume") << Transfer::Move << false;
        QTest::newRow("copy, same volume") << Transfer::Copy << false;
        QTest::newRow("move, other volume") << Transfer::Move << true;
        QTest::newRow("copy, other volume") << Transfer::Copy << true;
    }

    // The scratch file systems are always another volume: only the kind of transfer varies.
    static void addTransferRows()
    {
        QTest::addColumn<Transfer>("how");
        QTest::newRow("move") << Transfer::Move;
        QTest::newRow("copy") << Transfer::Copy;
    }

    bool skipOtherVolume(bool otherVolume) const { return otherVolume && m_otherVolume.isEmpty(); }

private slots:
    void initTestCase()
    {
        m_scratch = std::make_unique<testsupport::ScratchVolume>("16m");
        if (m_scratch->mounted())
            m_otherVolume = m_scratch->path();
        else if (QFileInfo(QStringLiteral("/dev/shm")).isWritable() &&
                 deviceOf(QStringLiteral("/dev/shm")) != deviceOf(m_home.path()))
            m_otherVolume = QStringLiteral("/dev/shm");
    }

    void cleanupTestCase() { m_scratch.reset(); }

    void transfersTheFile_data() { addRows(); }

    void transfersTheFile()
    {
        QFETCH(Transfer, how);
        QFETCH(bool, otherVolume);
        if (skipOtherVolume(otherVolume))
            SHELFMASTER_SKIP("no second file system here");
        const QString source = makeSource();
        const QDateTime modified = QFileInfo(source).lastModified();
        const QFile::Permissions permissions = QFileInfo(source).permissions();
        const QString folder = targetFolder(otherVolume);
        const QString target = folder + QStringLiteral("/photo.jpg");

        QCOMPARE(transferFile(source, target, how), std::nullopt);

        QCOMPARE(testsupport::readBytes(target), kContents);
        QCOMPARE(QFile::exists(source), how == Transfer::Copy);
        const QFileInfo after(target);
        QCOMPARE(after.lastModified(), modified);
        QCOMPARE(after.permissions(), permissions);
        QCOMPARE(leftovers(folder), QStringList());
        QFile::remove(source);
    }

    void neverReplaces_data()
    {
        addRows();
    }

    void neverReplaces()
    {
        QFETCH(Transfer, how);
        QFETCH(bool, otherVolume);
        if (skipOtherVolume(otherVolume))
            SHELFMASTER_SKIP("no second file system here");
        // What may already stand under the name: a file that arrived a moment ago, a folder,
        // a link that leads nowhere.
        for (const QString &kind : {"file", "folder", "dangling link"}) {
            const QString source = makeSource();
            const QString folder = targetFolder(otherVolume);
            const QString target = folder + QStringLiteral("/photo.jpg");
            if (kind == QLatin1String("file"))
                testsupport::writeBytes(target, "older picture");
            else if (kind == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(target));
            else
                QVERIFY(QFile::link(folder + QStringLiteral("/nowhere"), target));

            const platform::MaybeFailure failure = transferFile(source, target, how);
            QVERIFY2(failure, qPrintable(kind));
            QCOMPARE(failure->kind, platform::FailureKind::FileAlreadyExists);
            QCOMPARE(testsupport::readBytes(source), kContents);
            if (kind == QLatin1String("file"))
                QCOMPARE(testsupport::readBytes(target), QByteArray("older picture"));
            QCOMPARE(leftovers(folder), QStringList());
            QFile::remove(source);
        }
    }

    void fullFileSystemKeepsTheSource_data() { addTransferRows(); }

    void fullFileSystemKeepsTheSource()
    {
        QFETCH(Transfer, how);
        testsupport::ScratchVolume tiny("8k");
        if (!tiny.mounted())
            SHELFMASTER_SKIP("needs root to mount a small file system");
        const QString source = makeSource();
        const QString target = tiny.path() + QStringLiteral("/photo.jpg");

        const platform::MaybeFailure failure = transferFile(source, target, how);
        QVERIFY(failure);
        QCOMPARE(failure->number(), ENOSPC);
        QCOMPARE(testsupport::readBytes(source), kContents);
        QCOMPARE(testsupport::folderEntries(tiny.path()), QStringList());
        QFile::remove(source);
    }

    void unwritableFolderKeepsTheSource_data() { addTransferRows(); }

    void unwritableFolderKeepsTheSource()
    {
        QFETCH(Transfer, how);
        testsupport::ScratchVolume volume("1m");
        QString folder;
        if (volume.mounted()) {
            QVERIFY(volume.makeReadOnly());
            folder = volume.path();
        } else {
            // Permissions do not stop root, who gets the read-only file system instead.
            folder = targetFolder(false);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        const QString source = makeSource();

        const platform::MaybeFailure failure =
            transferFile(source, folder + QStringLiteral("/photo.jpg"), how);
        QVERIFY(failure);
        QVERIFY(failure->number() == EROFS || failure->number() == EACCES);
        QCOMPARE(testsupport::readBytes(source), kContents);
        QCOMPARE(testsupport::folderEntries(folder), QStringList());
        QFile::remove(source);
    }

    // Another program rewrites the source while it is copied, or just before its copy gets its
    // name: the copy never stands for it, and the source, as it now is, stays.
    void sourceChangedDuringACopy_data()
    {
        QTest::addColumn<bool>("whileCopying");
        QTest::newRow("while copying") << true;
        QTest::newRow("as the copy gets its name") << false;
    }

    void sourceChangedDuringACopy()
    {
        QFETCH(bool, whileCopying);
        if (m_otherVolume.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        const QString source = makeSource();
        const QString folder = targetFolder(true);
        const QString target = folder + QStringLiteral("/photo.jpg");
        const QByteArray edited = QByteArray("edited").leftJustified(kContents.size(), '!');
        const auto edit = [&] { testsupport::writeBytes(source, edited); };
        fileops::TransferRecorder recorder;
        if (!whileCopying)
            recorder.placing = [&](const fileops::FileIdentity &, const fileops::FileIdentity &) { edit(); };

        const platform::MaybeFailure failure = transferFile(
            source, target, Transfer::Move,
            [&](qint64, qint64) {
                if (whileCopying)
                    edit();
                return true;
            },
            recorder);
        QVERIFY(failure);
        QCOMPARE(failure->description, QStringLiteral("The file changed while it was copied"));
        QCOMPARE(testsupport::readBytes(source), edited);
        QCOMPARE(testsupport::folderEntries(folder), whileCopying ? QStringList() : QStringList{"photo.jpg"});
        if (!whileCopying)
            QCOMPARE(testsupport::readBytes(target), kContents);
        QFile::remove(source);
    }

    void missingSourceIsFileNotFound()
    {
        const QString folder = targetFolder(false);
        const platform::MaybeFailure failure =
            transferFile(m_home.filePath(QStringLiteral("gone.jpg")), folder + "/gone.jpg", Transfer::Copy);
        QVERIFY(failure);
        QCOMPARE(failure->kind, platform::FailureKind::FileNotFound);
        QCOMPARE(testsupport::folderEntries(folder), QStringList());
    }
};

SHELFMASTER_TEST_MAIN(TestFileTransfer)
#include "tst_filetransfer.moc"

#include "TestSupport.h"
#include "fileops/FileTransfer.h"

#include <cerrno>

using fileops::Transfer;
using testsupport::folderEntries;
using testsupport::readBytes;

Q_DECLARE_METATYPE(Transfer)

namespace {

const QByteArray kContents = QByteArray("picture bytes ").repeated(1000);

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<testsupport::ScratchVolume> m_volume; // the file system of the row's target, when its own
    int m_folders = 0;

    // A new empty folder on this file system, or on one of its own as the row needs it; "" when none can be
    // mounted here.
    QString targetFolder(const QString &volume)
    {
        m_volume.reset();
        if (volume == "same volume") {
            const QString folder = m_home.filePath(QString::number(++m_folders));
            return QDir().mkdir(folder) ? folder : QString();
        }
        m_volume = std::make_unique<testsupport::ScratchVolume>(volume == "full volume" ? "8k" : "1m");
        const bool usable = m_volume->mounted() && (volume != "read-only volume" || m_volume->makeReadOnly());
        return usable ? m_volume->path() : QString();
    }
    // A picture taken long ago that only its owner may change.
    QString makeSource()
    {
        const QString path = m_home.filePath(QStringLiteral("photo.jpg"));
        testsupport::writeBytes(path, kContents);
        QFile file(path);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QDateTime taken(QDate(2003, 7, 14), QTime(10, 20, 30), Qt::UTC);
        if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(taken, QFileDevice::FileModificationTime))
            qFatal("cannot date the source");
        return path;
    }

private slots:
    void cleanup() { m_volume.reset(); }

    // Into a free name the file arrives whole, with its time and permissions, and a move takes the source away.
    // Nothing replaces what already stands under the name, however it got there; whatever goes wrong, the source
    // stays as it was and no part of the file stays behind.
    void transfers_data()
    {
        QTest::addColumn<Transfer>("how");
        QTest::addColumn<QString>("volume"); // of the target folder
        QTest::addColumn<QString>("there"); // what stands under the target's name, or that the source is missing
        QTest::addColumn<int>("failure"); // its number (58: the file exists, 53: not found); 0: none
        for (const Transfer how : {Transfer::Move, Transfer::Copy}) {
            const char *verb = how == Transfer::Move ? "move" : "copy";
            for (const char *volume : {"same volume", "other volume"})
                for (const QString there : {"nothing", "a file", "a folder", "a link to nowhere"})
                    QTest::addRow("%s, %s, %s", verb, volume, qPrintable(there))
                        << how << volume << there << (there == "nothing" ? 0 : 58);
            QTest::addRow("%s, full", verb) << how << "full volume" << "nothing" << ENOSPC;
            QTest::addRow("%s, read-only", verb) << how << "read-only volume" << "nothing" << EROFS;
        }
        QTest::newRow("no source") << Transfer::Copy << "same volume" << "no source" << 53;
    }
    void transfers()
    {
        QFETCH(Transfer, how);
        QFETCH(QString, volume);
        QFETCH(QString, there);
        QFETCH(int, failure);
        const QString folder = targetFolder(volume);
        if (folder.isEmpty())
            SHELFMASTER_SKIP("needs root to mount a file system of its own");
        const QString source = there == "no source" ? m_home.filePath("gone.jpg") : makeSource();
        const bool hadSource = QFile::exists(source);
        const QDateTime modified = QFileInfo(source).lastModified();
        const QFile::Permissions permissions = QFileInfo(source).permissions();
        const QString target = folder + QStringLiteral("/photo.jpg");
        if (there == "a file")
            testsupport::writeBytes(target, "older picture");
        else if (there == "a folder")
            QVERIFY(QDir().mkdir(target));
        else if (there == "a link to nowhere")
            QVERIFY(QFile::link(folder + QStringLiteral("/nowhere"), target));
        const QStringList before = folderEntries(folder);

        const platform::MaybeFailure result = transferFile(source, target, how);
        QCOMPARE(result ? result->number() : 0, failure);
        QCOMPARE(folderEntries(folder), failure ? before : QStringList{"photo.jpg"});
        if (failure) {
            QCOMPARE(readBytes(source), hadSource ? kContents : QByteArray());
            QCOMPARE(readBytes(target), there == "a file" ? QByteArray("older picture") : QByteArray());
            return;
        }
        QCOMPARE(readBytes(target), kContents);
        QCOMPARE(QFile::exists(source), how == Transfer::Copy);
        QCOMPARE(QFileInfo(target).lastModified(), modified);
        QCOMPARE(QFileInfo(target).permissions(), permissions);
    }

    // Another program rewrites the source while it is copied, or just before its copy gets its name: the copy never
    // stands for it, and the source, as it now is, stays.
    void sourceChangedDuringACopy_data()
    {
        QTest::addColumn<bool>("whileCopying");
        QTest::newRow("while copying") << true;
        QTest::newRow("as the copy gets its name") << false;
    }
    void sourceChangedDuringACopy()
    {
        QFETCH(bool, whileCopying);
        const QString folder = targetFolder("other volume");
        if (folder.isEmpty())
            SHELFMASTER_SKIP("needs root to mount a file system of its own");
        const QString source = makeSource();
        const QByteArray edited = QByteArray("edited").leftJustified(kContents.size(), '!');
        const auto edit = [&] { testsupport::writeBytes(source, edited); };
        fileops::TransferRecorder recorder;
        if (!whileCopying)
            recorder.placing = [&](const fileops::FileIdentity &, const fileops::FileIdentity &) { edit(); };
        const auto progress = [&](qint64, qint64) {
            if (whileCopying)
                edit();
            return true;
        };

        const platform::MaybeFailure failure =
            transferFile(source, folder + "/photo.jpg", Transfer::Move, progress, recorder);
        QVERIFY(failure);
        QCOMPARE(failure->description, QStringLiteral("The file changed while it was copied"));
        QCOMPARE(readBytes(source), edited);
        QCOMPARE(folderEntries(folder), whileCopying ? QStringList() : QStringList{"photo.jpg"});
        QCOMPARE(readBytes(folder + "/photo.jpg"), whileCopying ? QByteArray() : kContents);
    }
};

SHELFMASTER_TEST_MAIN(TestTransfer)
#include "tst_transfer.moc"

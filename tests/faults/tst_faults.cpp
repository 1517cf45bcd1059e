#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "fileops/FileTransfer.h"
#include "fileops/UndoJournal.h"
#include "platform/FileDeletion.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <functional>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// The preloaded shim's controls.
struct Shim {
    void (*arm)(const char *call, int error, int nth) = nullptr;
    void (*disarm)() = nullptr;
    int (*calls)(const char *call) = nullptr;
    void (*casefold)(const char *folder) = nullptr;
    void (*errnoAfterNew)(int error) = nullptr;
    void (*slow)(int ms, size_t fromBytes) = nullptr;

    static Shim find()
    {
        Shim shim;
        shim.arm = reinterpret_cast<decltype(arm)>(::dlsym(RTLD_DEFAULT, "faultshim_arm"));
        shim.disarm = reinterpret_cast<decltype(disarm)>(::dlsym(RTLD_DEFAULT, "faultshim_disarm"));
        shim.calls = reinterpret_cast<decltype(calls)>(::dlsym(RTLD_DEFAULT, "faultshim_calls"));
        shim.casefold = reinterpret_cast<decltype(casefold)>(::dlsym(RTLD_DEFAULT, "faultshim_casefold"));
        shim.errnoAfterNew = reinterpret_cast<decltype(errnoAfterNew)>(::dlsym(RTLD_DEFAULT, "faultshim_errno_after_new"));
        shim.slow = reinterpret_cast<decltype(slow)>(::dlsym(RTLD_DEFAULT, "faultshim_slow"));
        return shim;
    }
    bool loaded() const { return arm && disarm && calls && casefold && errnoAfterNew && slow; }
};

enum class Operation { MoveSame, CopySame, MoveOther, CopyOther, Trash, DeleteForGood, Rename, MakeFolder, WriteIni };

const QList<const char *> kCalls{"open", "write", "fsync", "rename", "renameat2", "link",
                                 "unlink", "fchmod", "futimens", "mkdir", "copy_file_range"};
const QList<int> kErrors{ENOSPC, EIO, EROFS, EACCES, EXDEV, ENOSYS, EINTR};
const QList<int> kPositions{1, 2, 3};

QByteArray pictureBytes()
{
    QByteArray bytes(300 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool isLeftover(const QString &name)
{
    return name.startsWith(QLatin1String(".shelfmaster-")) || name.startsWith(QLatin1String(".f.ini."));
}

// What one operation under one injected failure left behind.
struct Tally {
    int cases = 0;
    int reported = 0;
    int lost = 0;
    int duplicated = 0;
    QStringList faults;
};

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    Shim m_shim = Shim::find();
    QTemporaryDir m_data; // the home trash
    testsupport::ScratchVolume m_volume{"64m"};
    QString m_otherFileSystem;

    // Runs the operation once under the armed failure and checks what it left.
    void runCase(Operation operation, const char *call, int error, int position, Tally &tally)
    {
        const QString label = QStringLiteral("%1 fails with %2 at call %3").arg(call).arg(error).arg(position);
        static const QByteArray original = pictureBytes();
        QTemporaryDir sourceDir;
        QTemporaryDir sameTarget;
        const bool other = operation == Operation::MoveOther || operation == Operation::CopyOther;
        const QString targetFolder = other ? m_otherFileSystem + "/target" : sameTarget.path();
        QDir(targetFolder).removeRecursively();
        QDir().mkpath(targetFolder);
        const QString source = sourceDir.filePath("a.jpg");
        const QString target = targetFolder + "/a.jpg";
        writeBytes(source, original);
        const QString ini = sourceDir.filePath("f.ini");
        writeBytes(ini, "OLD=1\r\n");
        const QString trash = m_data.filePath("Trash");
        QDir(trash).removeRecursively();

        platform::MaybeFailure failure;
        bool succeeded = false;
        m_shim.arm(call, error, position);
        switch (operation) {
        case Operation::MoveSame:
        case Operation::MoveOther:
            failure = fileops::transferFile(source, target, fileops::Transfer::Move);
            break;
        case Operation::CopySame:
        case Operation::CopyOther:
            failure = fileops::transferFile(source, target, fileops::Transfer::Copy);
            break;
        case Operation::Trash:
            succeeded = platform::deleteFile(source, true, false) == 0;
            break;
        case Operation::DeleteForGood:
            succeeded = platform::deleteFile(source, false, false) == 0;
            break;
        case Operation::Rename:
            failure = fileops::renameFile(source, sourceDir.filePath("b.jpg"));
            break;
        case Operation::MakeFolder:
            failure = platform::makeFolder(sourceDir.filePath("new"));
            break;
        case Operation::WriteIni:
            failure = platform::writeTextLines(ini, {"NEW=2"});
            break;
        }
        m_shim.disarm();
        if (operation != Operation::Trash && operation != Operation::DeleteForGood)
            succeeded = !failure;

        ++tally.cases;
        tally.reported += succeeded ? 0 : 1;
        const auto fault = [&](const QString &what) { tally.faults << label + ": " + what; };
        const auto complete = [&](const QString &path) { return readBytes(path) == original; };
        for (const QString &folder : {sourceDir.path(), targetFolder, trash + "/files"}) {
            for (const QString &name : folderEntries(folder)) {
                if (isLeftover(name))
                    fault("temporary file left: " + name);
            }
        }

        QString destination;
        bool moves = true;
        switch (operation) {
        case Operation::MoveSame:
        case Operation::MoveOther:
            destination = target;
            break;
        case Operation::CopySame:
        case Operation::CopyOther:
            destination = target;
            moves = false;
            break;
        case Operation::Trash:
            destination = trash + "/files/a.jpg";
            if (QFileInfo::exists(trash + "/info/a.jpg.trashinfo") != QFileInfo::exists(destination))
                fault("trash entry and trashed file disagree");
            break;
        case Operation::Rename:
            destination = sourceDir.filePath("b.jpg");
            break;
        case Operation::DeleteForGood:
            if (succeeded == QFileInfo::exists(source))
                fault(succeeded ? "reported deleted, still there" : "reported failed, gone");
            return;
        case Operation::MakeFolder:
            if (succeeded != QFileInfo(sourceDir.filePath("new")).isDir())
                fault("folder and report disagree");
            return;
        case Operation::WriteIni: {
            const QByteArray now = readBytes(ini);
            if (now != (succeeded ? QByteArray("NEW=2\r\n") : QByteArray("OLD=1\r\n")))
                fault("settings file holds " + QString::fromLatin1(now));
            return;
        }
        }

        const bool atSource = QFileInfo::exists(source);
        const bool atDestination = QFileInfo::exists(destination);
        if (atSource && !complete(source))
            fault("source damaged");
        if (atDestination && !complete(destination))
            fault("partial file under the real name");
        if (!atSource && !atDestination) {
            ++tally.lost;
            fault("file lost");
        }
        if (moves && atSource && atDestination) {
            ++tally.duplicated;
            fault("file in two places");
        }
        if (succeeded && (!atDestination || (moves && atSource)))
            fault("reported success, but it did not happen");
        if (!succeeded && (!atSource || atDestination))
            fault("reported failure, but the file moved");
        if (!succeeded && error == 0 && QByteArray(call) == "copy_file_range")
            fault("an early end of copy_file_range failed the copy");
    }

private slots:
    void initTestCase()
    {
        if (!m_shim.loaded())
            QFAIL("the fault shim is not preloaded");
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        struct stat tmp {};
        struct stat shm {};
        if (m_volume.mounted())
            m_otherFileSystem = m_volume.path();
        else if (::stat("/tmp", &tmp) == 0 && ::stat("/dev/shm", &shm) == 0 && tmp.st_dev != shm.st_dev)
            m_otherFileSystem = QStringLiteral("/dev/shm/shelfmaster-faults-") + QString::number(::getpid());
    }

    void cleanupTestCase()
    {
        if (m_otherFileSystem.startsWith("/dev/shm/"))
            QDir(m_otherFileSystem).removeRecursively();
    }

    // Every operation under every injected failure: the file is at its source or whole at its
    // target, never lost, never in two places, no temporary file left, no silent success.
    void injectedFailures_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::newRow("move, same file system") << Operation::MoveSame;
        QTest::newRow("copy, same file system") << Operation::CopySame;
        QTest::newRow("move, other file system") << Operation::MoveOther;
        QTest::newRow("copy, other file system") << Operation::CopyOther;
        QTest::newRow("delete to the trash") << Operation::Trash;
        QTest::newRow("delete for good") << Operation::DeleteForGood;
        QTest::newRow("rename") << Operation::Rename;
        QTest::newRow("create directory") << Operation::MakeFolder;
        QTest::newRow("settings file write") << Operation::WriteIni;
    }

    void injectedFailures()
    {
        QFETCH(Operation, operation);
        if ((operation == Operation::MoveOther || operation == Operation::CopyOther) && m_otherFileSystem.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        Tally tally;
        for (const char *call : kCalls) {
            for (const int error : kErrors) {
                for (const int position : kPositions) {
                    runCase(operation, call, error, position, tally);
                }
            }
        }
        // Some kernels end copy_file_range early: that is no end of the file, and the copy goes on.
        for (const int position : kPositions)
            runCase(operation, "copy_file_range", 0, position, tally);
        qInfo("%s: %d cases, %d reported as failures, %d lost, %d duplicated", QTest::currentDataTag(),
              tally.cases, tally.reported, tally.lost, tally.duplicated);
        QVERIFY2(tally.faults.isEmpty(), qPrintable(tally.faults.join('\n')));
    }

    // A file cut short by another program while it is copied: its copy never counts.
    void copyOfAFileCutShortNeverCounts()
    {
        if (m_otherFileSystem.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        QTemporaryDir sourceDir;
        const QString source = sourceDir.filePath("a.jpg");
        const QString folder = m_otherFileSystem + "/short";
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        writeBytes(source, pictureBytes());
        m_shim.arm("copy_file_range", 0, 1);
        m_shim.arm("read", 0, 1);
        const platform::MaybeFailure failure = fileops::transferFile(source, folder + "/a.jpg", fileops::Transfer::Move);
        m_shim.disarm();
        QVERIFY(failure);
        QCOMPARE(readBytes(source), pictureBytes());
        QCOMPARE(folderEntries(folder), QStringList());
    }

    // File systems without hard links say so in several ways; each leads to the exclusive-create
    // way of renaming without replacing.
    void renameWithoutHardLinks_data()
    {
        QTest::addColumn<int>("error");
        QTest::newRow("EPERM") << EPERM;
        QTest::newRow("ENOSYS") << ENOSYS;
        QTest::newRow("EMLINK") << EMLINK;
        QTest::newRow("EACCES") << EACCES;
        QTest::newRow("EOPNOTSUPP") << EOPNOTSUPP;
    }

    void renameWithoutHardLinks()
    {
        QFETCH(int, error);
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.jpg"), "picture");
        m_shim.arm("renameat2", EINVAL, 1); // no rename without replacing
        m_shim.arm("link", error, 1);
        const platform::MaybeFailure failure = fileops::renameFile(dir.filePath("a.jpg"), dir.filePath("b.jpg"));
        m_shim.disarm();
        QVERIFY2(!failure, failure ? qPrintable(failure->text()) : "");
        QCOMPARE(folderEntries(dir.path()), QStringList{"b.jpg"});
    }

    // A stick that refuses permissions and times still takes the copy.
    void copyKeepsGoingWithoutPermissionsAndTimes_data()
    {
        QTest::addColumn<QByteArray>("call");
        QTest::newRow("fchmod") << QByteArray("fchmod");
        QTest::newRow("futimens") << QByteArray("futimens");
    }

    void copyKeepsGoingWithoutPermissionsAndTimes()
    {
        QFETCH(QByteArray, call);
        QTemporaryDir from;
        QTemporaryDir to;
        writeBytes(from.filePath("a.jpg"), "picture");
        m_shim.arm(call.constData(), EPERM, 1);
        const platform::MaybeFailure failure =
            fileops::transferFile(from.filePath("a.jpg"), to.filePath("a.jpg"), fileops::Transfer::Copy);
        QCOMPARE(m_shim.calls(call.constData()), 1);
        m_shim.disarm();
        QVERIFY(!failure);
        QCOMPARE(readBytes(to.filePath("a.jpg")), QByteArray("picture"));
    }

    // When the link is made but the old name cannot be removed, the file is left only at its
    // source and the failure is reported.
    void linkedButNotUnlinkedIsUndone()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.jpg"), "picture");
        m_shim.arm("renameat2", EINVAL, 1);
        m_shim.arm("unlink", EACCES, 1);
        const platform::MaybeFailure failure = fileops::renameFile(dir.filePath("a.jpg"), dir.filePath("b.jpg"));
        m_shim.disarm();
        QVERIFY(failure);
        QCOMPARE(failure->number(), EACCES);
        QCOMPARE(folderEntries(dir.path()), QStringList{"a.jpg"});
    }

    // Only readdir's own errno tells a failed listing from its end; an allocation while the
    // listing is read may leave errno set without anything having failed.
    void folderListingIgnoresErrnoLeftByAllocations()
    {
        QTemporaryDir dir;
        const QStringList names{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};
        testsupport::createFiles(dir.path(), names);
        m_shim.errnoAfterNew(ENOMEM);
        const platform::FolderRead read = platform::readFolder(dir.path());
        m_shim.errnoAfterNew(0);
        QVERIFY2(!read.failure, read.failure ? qPrintable(read.failure->text()) : "");
        QCOMPARE(qsizetype(read.entries.size()), names.size());
    }

    // On a file system that ignores letter case, "a.jpg" and "A.jpg" name one file: renaming one
    // to the other is no clash.
    void renameToAnotherLetterCase()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.jpg"), "picture");
        m_shim.casefold(QFile::encodeName(dir.path()).constData());
        const platform::MaybeFailure failure = fileops::renameFile(dir.filePath("a.jpg"), dir.filePath("A.jpg"));
        const platform::MaybeFailure clash = [&] {
            writeBytes(dir.filePath("b.jpg"), "other");
            return fileops::renameFile(dir.filePath("b.jpg"), dir.filePath("a.JPG"));
        }();
        m_shim.casefold(nullptr);
        QVERIFY2(!failure, failure ? qPrintable(failure->text()) : "");
        QCOMPARE(folderEntries(dir.path()), (QStringList{"A.jpg", "b.jpg"}));
        QCOMPARE(readBytes(dir.filePath("A.jpg")), QByteArray("picture"));
        QVERIFY(clash);
        QCOMPARE(clash->kind, platform::FailureKind::FileAlreadyExists);
    }

    // Such a rename that can neither finish nor go back leaves the file under a temporary name
    // of ours: the journal keeps it, and the next start puts it back under its name.
    void halfDoneLetterCaseRenameIsPutBack()
    {
        QTemporaryDir dir;
        QTemporaryDir program;
        writeBytes(dir.filePath("a.jpg"), "picture");
        m_shim.casefold(QFile::encodeName(dir.path()).constData());
        {
            fileops::UndoJournal journal(program.filePath("SHELFMASTER.UNDO"));
            QVERIFY(!journal.load());
            m_shim.arm("renameat2", EIO, 2); // to the new name
            m_shim.arm("renameat2", EIO, 2); // and, counted from then on, back to the old one
            QVERIFY(journal.rename(dir.filePath("a.jpg"), dir.filePath("A.jpg")));
            m_shim.disarm();
        }
        fileops::UndoJournal next(program.filePath("SHELFMASTER.UNDO"));
        QVERIFY(!next.load());
        m_shim.casefold(nullptr);
        QCOMPARE(folderEntries(dir.path()), QStringList{"a.jpg"});
        QCOMPARE(readBytes(dir.filePath("a.jpg")), QByteArray("picture"));
    }

    // Runs the action with large writes slowed down, and presses Cancel once its progress
    // dialog shows; returns the dialog's title and text as they were.
    QString cancelWhenShown(frmMain &main, const std::function<void()> &action)
    {
        QString shown;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto *progress = main.findChild<QProgressDialog *>("dlgTransferProgress");
            if (progress && progress->isVisible() && shown.isEmpty()) {
                shown = progress->windowTitle() + '\n' + progress->labelText();
                QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
            }
        });
        watch.start(50);
        m_shim.slow(150, 1024 * 1024);
        action();
        m_shim.slow(0, 0);
        return shown;
    }

    // A long copy to a slow stick shows its progress and can be cancelled: the file being sent
    // stays at its source, no temporary file is left, and the files already sent stay sent. The
    // undo of such a move runs the same way.
    void cancelASlowSortToAnotherFileSystem()
    {
        if (m_otherFileSystem.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        const QString far = m_otherFileSystem + "/far";
        QDir(far).removeRecursively();
        QDir().mkpath(far);
        SettingsFixture f("GROUP=Trips\r\n", areaRecord("Far", "Trips", QFile::encodeName(far)), {}, {});
        const QByteArray big(48 * 1024 * 1024, 'm');
        writeBytes(f.folder("a.mov"), "small");
        writeBytes(f.folder("b.mov"), big);
        writeBytes(f.folder("c.mov"), "small");
        QVERIFY(!f.main().File1->Refresh());
        settings::Options options = f.main().options();
        options.promptMove = 0;
        f.main().setOptions(options);
        f.main().cmbCatalog->setCurrentIndex(0);
        for (int i = 0; i < 3; ++i)
            f.main().File1->setSelected(i, true);
        QListWidget *areas = f.main().lstArea;
        const QRect far0 = areas->visualItemRect(areas->item(0));
        const auto sort = [&] {
            // A double click is a press and a release, then the second press.
            QTest::mouseClick(areas->viewport(), Qt::LeftButton, {}, far0.center());
            QTest::mouseDClick(areas->viewport(), Qt::LeftButton, {}, far0.center());
        };

        QString shown = cancelWhenShown(f.main(), sort);
        QVERIFY2(shown.startsWith("Sending files\nb.mov\n") && shown.endsWith("File 2 of 3"), qPrintable(shown));
        QCOMPARE(f.harness.messages.texts(), QStringList{"Sending was cancelled: 1 of 3 files were sent."});
        QCOMPARE(folderEntries(far), QStringList{"a.mov"});
        QCOMPARE(readBytes(f.folder("b.mov")), big);
        QVERIFY(QFileInfo::exists(f.folder("c.mov")));
        QVERIFY(f.main().isEnabled());

        f.harness.clickFile("b.mov");
        sort();
        f.harness.messages.shown.clear();
        shown = cancelWhenShown(f.main(), [&] { f.main().mnuUndo->trigger(); });
        QVERIFY2(shown.startsWith("Undo move of b.mov to Far\nb.mov\n") && shown.endsWith("File 1 of 1"),
                 qPrintable(shown));
        QCOMPARE(f.harness.messages.texts(),
                 QStringList{"Undo was cancelled: the files not yet moved stay where they are."});
        QCOMPARE(readBytes(far + "/b.mov"), big);
        QVERIFY(!QFileInfo::exists(f.folder("b.mov")));
        QVERIFY(f.main().mnuUndo->isEnabled());
    }
};

SHELFMASTER_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

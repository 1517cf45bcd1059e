#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/BrowseContext.h"
#include "browse/DirListBox.h"
#include "browse/FileListBox.h"
#include "platform/FileDeletion.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "viewers/frmImage.h"

#include <QComboBox>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <cerrno>
#include <sys/stat.h>

using namespace testsupport;
using fileops::Transfer;

// The controls of the preloaded fault shim; missing without it.
extern "C" {
void faultshim_arm(const char *call, int error, int nth) __attribute__((weak));
void faultshim_disarm() __attribute__((weak));
int faultshim_calls(const char *call) __attribute__((weak));
void faultshim_casefold(const char *folder) __attribute__((weak));
void faultshim_errno_after_new(int error) __attribute__((weak));
void faultshim_slow(int ms, size_t fromBytes) __attribute__((weak));
void faultshim_slow_folder(const char *folder, int ms) __attribute__((weak));
}

namespace {

enum class Operation { MoveSame, CopySame, MoveOther, CopyOther, Trash, DeleteForGood, Rename, MakeFolder, WriteIni };

// Failures armed (each at the call's first use), the operation on a.jpg beside b.jpg ("rename" to
// the name given, "copy" to another folder, "move far" to another file system) in a folder that
// ignores letter case or not, the errno it fails with (0: none, -1: any), and the names left.
struct Armed { QList<std::pair<const char *, int>> arms; QString operation, to; bool casefold; int error; QStringList left; };

QByteArray pictureBytes()
{
    QByteArray bytes(300 * 1024, Qt::Uninitialized);
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_data; // the home trash
    ScratchVolume m_volume{"64m"};
    QTemporaryDir m_shm{"/dev/shm/shelfmaster-faults-XXXXXX"};
    QString m_other; // on another file system than the temporary folder

    // Runs the operation once under the armed failure and says what is wrong with what it left.
    QStringList runCase(Operation operation, const char *call, int error, int position, bool &failed)
    {
        static const QByteArray original = pictureBytes();
        QTemporaryDir sourceDir, sameTarget;
        const bool copies = operation == Operation::CopySame || operation == Operation::CopyOther;
        const QString targetFolder = operation == Operation::MoveOther || operation == Operation::CopyOther ? m_other + "/target" : sameTarget.path();
        QDir(targetFolder).removeRecursively();
        QDir().mkpath(targetFolder);
        const QString source = sourceDir.filePath("a.jpg"), ini = sourceDir.filePath("f.ini"), trash = m_data.filePath("Trash");
        const QString destination = operation == Operation::Trash ? trash + "/files/a.jpg" : operation == Operation::Rename ? sourceDir.filePath("b.jpg")
                                  : operation == Operation::MakeFolder ? sourceDir.filePath("new") : targetFolder + "/a.jpg";
        writeBytes(source, original);
        writeBytes(ini, "OLD=1\r\n");
        QDir(trash).removeRecursively();

        faultshim_arm(call, error, position);
        switch (operation) {
        case Operation::Trash:
        case Operation::DeleteForGood: failed = platform::deleteFile(source, operation == Operation::Trash, false) != 0; break;
        case Operation::Rename: failed = bool(fileops::renameFile(source, destination)); break;
        case Operation::MakeFolder: failed = bool(platform::makeFolder(destination)); break;
        case Operation::WriteIni: failed = bool(platform::writeTextLines(ini, {"NEW=2"})); break;
        default: failed = bool(fileops::transferFile(source, destination, copies ? Transfer::Copy : Transfer::Move));
        }
        faultshim_disarm();

        QStringList faults;
        for (const QString &folder : {sourceDir.path(), targetFolder, trash + "/files"})
            for (const QString &name : folderEntries(folder))
                if (name.startsWith(".shelfmaster-") || name.startsWith(".f.ini.")) faults << "temporary file left: " + name;
        const bool atSource = QFileInfo::exists(source), atDestination = QFileInfo::exists(destination);
        if (operation == Operation::DeleteForGood && failed != atSource) faults << (failed ? "reported failed, gone" : "reported deleted, still there");
        if (operation == Operation::MakeFolder && failed == QFileInfo(destination).isDir()) faults << "folder and report disagree";
        if (operation == Operation::WriteIni && readBytes(ini) != (failed ? "OLD=1\r\n" : "NEW=2\r\n")) faults << "settings file holds " + readBytes(ini);
        if (operation == Operation::DeleteForGood || operation == Operation::MakeFolder || operation == Operation::WriteIni) return faults;
        if (operation == Operation::Trash && QFileInfo::exists(trash + "/info/a.jpg.trashinfo") != atDestination) faults << "trash entry and trashed file disagree";
        if (atSource && readBytes(source) != original) faults << "source damaged";
        if (atDestination && readBytes(destination) != original) faults << "partial file under the real name";
        if (!atSource && !atDestination) faults << "file lost";
        if (!copies && atSource && atDestination) faults << "file in two places";
        if (!failed && (!atDestination || (!copies && atSource))) faults << "reported success, but it did not happen";
        if (failed && (!atSource || atDestination)) faults << "reported failure, but the file moved";
        if (failed && error == 0) faults << "an early end of copy_file_range failed the copy";
        return faults;
    }

private slots:
    void initTestCase()
    {
        if (!faultshim_arm) QFAIL("the fault shim is not preloaded");
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        struct stat tmp {}, shm {};
        if (m_volume.mounted() || (::stat("/tmp", &tmp) == 0 && ::stat(qPrintable(m_shm.path()), &shm) == 0 && tmp.st_dev != shm.st_dev))
            m_other = m_volume.mounted() ? m_volume.path() : m_shm.path();
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
        if ((operation == Operation::MoveOther || operation == Operation::CopyOther) && m_other.isEmpty()) SHELFMASTER_SKIP("no second file system here");
        QStringList faults;
        int cases = 0, reported = 0;
        const auto run = [&](const char *call, int error, int position) {
            bool failed = false;
            for (const QString &fault : runCase(operation, call, error, position, failed))
                faults << QStringLiteral("%1 fails with %2 at call %3: %4").arg(call).arg(error).arg(position).arg(fault);
            ++cases;
            reported += failed ? 1 : 0;
        };
        for (const char *call : {"open", "write", "fsync", "rename", "renameat2", "link", "unlink", "fchmod", "futimens", "mkdir", "copy_file_range"})
            for (const int error : {ENOSPC, EIO, EROFS, EACCES, EXDEV, ENOSYS, EINTR})
                for (const int position : {1, 2, 3}) run(call, error, position);
        // Some kernels end copy_file_range early: that is no end of the file, and the copy goes on.
        for (const int position : {1, 2, 3}) run("copy_file_range", 0, position);
        qInfo("%d cases, %d reported as failures", cases, reported);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // Single failures the code has a way round, or reports leaving everything as it was: a file
    // cut short by another program while it is copied never counts; file systems without hard
    // links say so in several ways, each leading to renaming by an exclusive create; a link made
    // whose old name cannot be removed goes again; a stick that refuses permissions and times
    // still takes the copy; on a file system that ignores letter case, "a.jpg" and "A.jpg" name
    // one file, so renaming one to the other is no clash.
    void armedFailures_data()
    {
        QTest::addColumn<Armed>("row");
        QTest::newRow("copy of a file cut short") << Armed{{{"copy_file_range", 0}, {"read", 0}}, "move far", {}, false, -1, {"a.jpg", "b.jpg"}};
        for (const auto &[name, error] : {std::pair{"EPERM", EPERM}, {"ENOSYS", ENOSYS}, {"EMLINK", EMLINK}, {"EACCES", EACCES}, {"EOPNOTSUPP", EOPNOTSUPP}})
            QTest::addRow("rename without hard links, %s", name) << Armed{{{"renameat2", EINVAL}, {"link", error}}, "rename", "c.jpg", false, 0, {"b.jpg", "c.jpg"}};
        QTest::newRow("linked, but not unlinked") << Armed{{{"renameat2", EINVAL}, {"unlink", EACCES}}, "rename", "c.jpg", false, EACCES, {"a.jpg", "b.jpg"}};
        QTest::newRow("copy without permissions") << Armed{{{"fchmod", EPERM}}, "copy", {}, false, 0, {"a.jpg", "b.jpg", "a.jpg"}};
        QTest::newRow("copy without times") << Armed{{{"futimens", EPERM}}, "copy", {}, false, 0, {"a.jpg", "b.jpg", "a.jpg"}};
        QTest::newRow("rename to another letter case") << Armed{{}, "rename", "A.jpg", true, 0, {"A.jpg", "b.jpg"}};
        QTest::newRow("rename onto another file's name") << Armed{{}, "rename", "B.JPG", true, EEXIST, {"a.jpg", "b.jpg"}};
    }

    void armedFailures()
    {
        QFETCH(Armed, row);
        if (row.operation == "move far" && m_other.isEmpty()) SHELFMASTER_SKIP("no second file system here");
        QTemporaryDir dir, copies;
        const QString folder = row.operation == "rename" ? dir.path() : row.operation == "copy" ? copies.path() : m_other + "/armed";
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const char *name : {"a.jpg", "b.jpg"}) writeBytes(dir.filePath(name), pictureBytes());
        if (row.casefold) faultshim_casefold(QFile::encodeName(dir.path()).constData());
        for (const auto &[call, error] : row.arms) faultshim_arm(call, error, 1);
        const QString source = dir.filePath("a.jpg"), target = folder + '/' + (row.to.isEmpty() ? "a.jpg" : row.to);
        const platform::MaybeFailure failure = row.operation == "rename" ? fileops::renameFile(source, target)
                                             : fileops::transferFile(source, target, row.operation == "copy" ? Transfer::Copy : Transfer::Move);
        for (const auto &[call, error] : row.arms) QVERIFY2(faultshim_calls(call) >= 1, call);
        faultshim_disarm();
        faultshim_casefold(nullptr);
        QCOMPARE(failure ? (row.error < 0 ? -1 : failure->systemError) : 0, row.error);
        QCOMPARE(folderEntries(dir.path()) + (folder == dir.path() ? QStringList() : folderEntries(folder)), row.left);
        for (const QString &place : {dir.path(), folder})
            for (const QString &name : folderEntries(place)) QCOMPARE(readBytes(place + '/' + name), pictureBytes());
    }

    // A unit (a RAW file and its picture) whose second file fails comes back whole; a file that
    // cannot come back is named where it stayed, and goes back with the undo. Deleted for good, a
    // unit cannot come back: the message names the files gone, and the folder is read again, so
    // that the next delete finds the unit as it now is.
    void unitFailingHalfWayComesBack_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("failure");
        // For a delete for good: the calls that fail ("call errno nth"; a call one fault fails is
        // not counted by those armed after it), and the folder after.
        QTest::addColumn<QStringList>("arms");
        QTest::addColumn<QStringList>("left");
        for (const char *operation : {"move", "copy", "rename"}) QTest::newRow(operation) << QString(operation) << "5 Input/output error" << QStringList() << QStringList();
        QTest::newRow("move, the first file cannot come back") << "move" << "5 Input/output error: a.jpg stayed in $DIR/area" << QStringList() << QStringList();
        // The editors' file goes first, then the RAW file fails.
        QTest::newRow("delete for good") << "delete for good" << "Error occurred! Deleted: a.xmp. Still here: a.jpg, a.cr2. 5 Input/output error"
                                         << QStringList{"unlink 5 2"} << QStringList{"a.cr2", "a.jpg", "areas", "b.jpg"};
        QTest::newRow("delete for good, a file cannot be set aside") << "delete for good" << "Error occurred!"
                                                                     << QStringList{"renameat2 5 2"} << QStringList{"a.cr2", "a.jpg", "a.xmp", "areas", "b.jpg"};
        // The editors' file cannot be set aside, and the RAW file's name was taken meanwhile.
        QTest::newRow("delete for good, a name taken meanwhile") << "delete for good" << "Error occurred! Still here: a.jpg, a.cr2, a.xmp. 5 Input/output error: a.cr2 is now a.2.cr2"
                                                                  << QStringList{"renameat2 5 3", "renameat2 17 3", "renameat2 17 3"} << QStringList{"a.2.cr2", "a.jpg", "a.xmp", "areas", "b.jpg"};
    }
    void unitFailingHalfWayComesBack()
    {
        QFETCH(QString, operation);
        QFETCH(QString, failure);
        QFETCH(QStringList, arms);
        QFETCH(QStringList, left);
        if (operation == "delete for good") {
            SettingsFixture f(f.kGroups, f.kAreas, f.kFolders, {"a.cr2", "a.jpg", "a.xmp", "b.jpg"});
            f.setOptions([](settings::Options &o) { o.more.rawFiles = true, o.deleteRecycle = o.promptDelete = 0; });
            f.harness.clickFile("a.jpg");
            for (const QString &arm : arms) faultshim_arm(arm.section(' ', 0, 0).toLatin1(), arm.section(' ', 1, 1).toInt(), arm.section(' ', 2, 2).toInt());
            f.main().mnuDelete->trigger();
            faultshim_disarm();
            QCOMPARE(f.harness.messages.texts(), QStringList{failure});
            QCOMPARE(folderEntries(f.root()), left);
            f.main().mnuDelete->trigger(); // what is left of the unit, as the folder now has it
            for (const char *member : {"a.cr2", "a.jpg", "a.xmp"}) left.removeOne(member);
            QCOMPARE(folderEntries(f.root()), left);
            return;
        }
        QTemporaryDir dir, program;
        QDir().mkpath(dir.filePath("area"));
        fileops::UndoJournal journal(program.filePath("SHELFMASTER.UNDO"));
        QVERIFY(!journal.load());
        QList<fileops::UnitMember> unit;
        for (const QString name : {"a.jpg", "a.cr2"}) {
            writeBytes(dir.filePath(name), pictureBytes());
            unit.append({dir.filePath(name), dir.filePath(operation == "rename" ? "b" + name.mid(1) : "area/" + name)});
        }
        qsizetype failed = -1;
        const bool stays = failure.contains("stayed");
        faultshim_arm("renameat2", EIO, 2); // the second file's arrival
        if (stays) faultshim_arm("renameat2", EIO, 2); // and, counted from then on, the first one's way back
        platform::MaybeFailure failedWith;
        if (operation == "rename") {
            failedWith = journal.rename(unit, &failed);
        } else {
            journal.beginStep(operation == "copy" ? fileops::StepKind::Copy : fileops::StepKind::Move, "Area");
            failedWith = journal.transfer(unit, operation == "copy" ? Transfer::Copy : Transfer::Move, {}, &failed);
            journal.endStep();
        }
        faultshim_disarm();
        QCOMPARE(failed, 1);
        QCOMPARE(failedWith.value_or(platform::Failure{}).text(), failure.replace("$DIR", dir.path()));
        QCOMPARE(folderEntries(dir.filePath("area")), stays ? QStringList{"a.jpg"} : QStringList());
        QVERIFY(!stays || journal.undo().refusals.isEmpty());
        QCOMPARE(folderEntries(dir.path()), (QStringList{"a.cr2", "a.jpg", "area"}));
        QCOMPARE(folderEntries(dir.filePath("area")), QStringList());
        for (const QString name : {"a.jpg", "a.cr2"}) QCOMPARE(readBytes(dir.filePath(name)), pictureBytes());
        QVERIFY(!journal.canUndo());
    }

    // Only readdir's own errno tells a failed listing from its end; an allocation while the
    // listing is read may leave errno set without anything having failed.
    void folderListingIgnoresErrnoLeftByAllocations()
    {
        QTemporaryDir dir;
        createFiles(dir.path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
        faultshim_errno_after_new(ENOMEM);
        const platform::FolderRead read = platform::readFolder(dir.path());
        faultshim_errno_after_new(0);
        QVERIFY2(!read.failure, read.failure ? qPrintable(read.failure->text()) : "");
        QCOMPARE(read.entries.size(), 5u);
    }

    // A rename in another letter case that can neither finish nor go back leaves the file under a
    // temporary name of ours: the journal keeps it, and the next start puts it back under its name.
    void halfDoneLetterCaseRenameIsPutBack()
    {
        QTemporaryDir dir, program;
        writeBytes(dir.filePath("a.jpg"), "picture");
        faultshim_casefold(QFile::encodeName(dir.path()).constData());
        {
            fileops::UndoJournal journal(program.filePath("SHELFMASTER.UNDO"));
            QVERIFY(!journal.load());
            faultshim_arm("renameat2", EIO, 2); // to the new name
            faultshim_arm("renameat2", EIO, 2); // and, counted from then on, back to the old one
            QVERIFY(journal.rename(dir.filePath("a.jpg"), dir.filePath("A.jpg")));
            faultshim_disarm();
        }
        QVERIFY(!fileops::UndoJournal(program.filePath("SHELFMASTER.UNDO")).load());
        faultshim_casefold(nullptr);
        QCOMPARE(folderEntries(dir.path()), QStringList{"a.jpg"});
        QCOMPARE(readBytes(dir.filePath("a.jpg")), QByteArray("picture"));
    }

    // On a slow share a long folder shows its first names before the rest arrive, and opening
    // another folder meanwhile abandons the read at once; its subfolders come once read, and a
    // read on the spot waits for all the names.
    void slowFolderArrivesAndIsAbandoned()
    {
        QTemporaryDir slow, quick;
        QStringList pictures;
        for (int i = 0; i < 2000; ++i) pictures << QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        createFiles(slow.path(), pictures);
        createFiles(quick.path(), {"a.jpg"});
        QVERIFY(QDir(slow.path()).mkdir("sub"));
        faultshim_slow_folder(QFile::encodeName(slow.path()).constData(), 5);
        faultshim_arm("readdir", EIO, 1000000); // only counts
        {
            browse::BrowseContext context;
            QVERIFY(!context.setPath(slow.path()));
            QTRY_VERIFY(context.count() > 0);
            QVERIFY(context.count() < pictures.size());
            QVERIFY(!context.setPath(quick.path()));
            QCOMPARE(context.count(), 1);
        } // waits for the abandoned read to end
        QVERIFY2(faultshim_calls("readdir") < pictures.size(), qPrintable(QString::number(faultshim_calls("readdir"))));
        faultshim_disarm();
        faultshim_arm("readdir", EIO, 1000000);
        const browse::DirListBox folders(slow.path());
        QVERIFY(faultshim_calls("readdir") < pictures.size()); // the window did not read them all
        QTRY_VERIFY(!folders.findItems("sub", Qt::MatchExactly).isEmpty());
        faultshim_disarm();
        // A read on the spot (after an undo, say) still has the whole folder when it returns.
        browse::BrowseContext again;
        again.setPath(slow.path());
        QVERIFY(!again.refresh());
        QCOMPARE(again.count(), pictures.size());
        faultshim_slow_folder(nullptr, 0);
    }

    // While a copy is written the picture that comes next shows already, and stays current; when
    // the folder goes away meanwhile, the preview shows nothing once the sort ended.
    void nextPictureShowsWhileACopyIsWritten_data()
    {
        QTest::addColumn<bool>("folderGoes");
        QTest::newRow("copied") << false;
        QTest::newRow("the folder goes away meanwhile") << true;
    }
    void nextPictureShowsWhileACopyIsWritten()
    {
        QFETCH(bool, folderGoes);
        QTemporaryDir area;
        SettingsFixture f("GROUP=Trips\r\n", areaRecord("Far", "Trips", QFile::encodeName(area.path())));
        for (const char *name : {"a.jpg", "b.jpg"}) writePicture(f.folder(name));
        QVERIFY(!f.main().File1->Refresh());
        f.setOptions([](settings::Options &o) { o.moveDefault = false, o.promptCopy = 0; });
        f.main().cmbCatalog->setCurrentIndex(0);
        f.harness.clickFile("a.jpg");
        QString shownMeanwhile;
        QTimer::singleShot(100, [&] {
            shownMeanwhile = f.harness.program().viewer().windowTitle();
            if (folderGoes) QVERIFY(QDir().rename(f.root(), f.root() + "-gone"));
        });
        const QPoint centre = f.main().lstArea->visualItemRect(f.main().lstArea->item(0)).center();
        faultshim_slow(300, 1024 * 1024);
        QTest::mouseClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, centre);
        faultshim_slow(0, 0);
        if (folderGoes) QVERIFY(QDir().rename(f.root() + "-gone", f.root()));
        QVERIFY2(shownMeanwhile.endsWith("/b.jpg"), qPrintable(shownMeanwhile));
        QCOMPARE(f.main().File1->FileName(), folderGoes ? QString() : QStringLiteral("b.jpg"));
        QCOMPARE(f.harness.program().viewer().Image1->pixmap().isNull(), folderGoes);
        QCOMPARE(folderEntries(area.path()), folderGoes ? QStringList() : QStringList{"a.jpg"}); // a source gone meanwhile is not copied
    }

    // A long copy to a slow stick shows its progress and can be cancelled: the file being sent
    // stays at its source, no temporary file is left, and the files already sent stay sent. The
    // undo of such a move runs the same way.
    void cancelASlowSortToAnotherFileSystem()
    {
        if (m_other.isEmpty()) SHELFMASTER_SKIP("no second file system here");
        const QString far = m_other + "/far";
        QDir(far).removeRecursively();
        QDir().mkpath(far);
        SettingsFixture f("GROUP=Trips\r\n", areaRecord("Far", "Trips", QFile::encodeName(far)));
        const QByteArray big(48 * 1024 * 1024, 'm');
        for (const char *name : {"a.mov", "b.mov", "c.mov"}) writeBytes(f.folder(name), QByteArray(name) == "b.mov" ? big : "small");
        QVERIFY(!f.main().File1->Refresh());
        settings::Options options = f.main().options();
        options.promptMove = 0;
        f.main().setOptions(options);
        f.main().cmbCatalog->setCurrentIndex(0);
        for (int i = 0; i < 3; ++i) f.main().File1->setSelected(i, true);
        const QPoint centre = f.main().lstArea->visualItemRect(f.main().lstArea->item(0)).center();
        const auto sort = [&] {
            QTest::mouseClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, centre);
        };
        // Runs the action with large writes slowed down, and presses Cancel once the progress
        // shows; returns the progress's title and text as they were.
        const auto cancelled = [&](const std::function<void()> &action) {
            QString shown;
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                auto *progress = f.main().findChild<QProgressDialog *>("dlgTransferProgress");
                if (!progress || !progress->isVisible() || !shown.isEmpty()) return;
                shown = progress->windowTitle() + '\n' + progress->labelText();
                QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
            });
            watch.start(50);
            faultshim_slow(150, 1024 * 1024);
            action();
            faultshim_slow(0, 0);
            return shown;
        };

        QString shown = cancelled(sort);
        QVERIFY2(shown.startsWith("Sending files\nb.mov\n") && shown.endsWith("File 2 of 3"), qPrintable(shown));
        QCOMPARE(f.harness.messages.texts(), QStringList{"Sending was cancelled: 1 of 3 files were sent."});
        QCOMPARE(folderEntries(far), QStringList{"a.mov"});
        QVERIFY(readBytes(f.folder("b.mov")) == big && QFileInfo::exists(f.folder("c.mov")) && f.main().isEnabled());

        f.harness.clickFile("b.mov");
        sort();
        f.harness.messages.shown.clear();
        shown = cancelled([&] { f.main().mnuUndo->trigger(); });
        QVERIFY2(shown.startsWith("Undo move of b.mov to Far\nb.mov\n") && shown.endsWith("File 1 of 1"), qPrintable(shown));
        QCOMPARE(f.harness.messages.texts(), QStringList{"Undo was cancelled: the files not yet moved stay where they are."});
        QVERIFY(readBytes(far + "/b.mov") == big && !QFileInfo::exists(f.folder("b.mov")) && f.main().mnuUndo->isEnabled());
    }
};

SHELFMASTER_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

#include "TestSupport.h"
#include "fileops/UndoJournal.h"
#include "platform/RawFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMultiHash>
#include <QProcess>
#include <QRandomGenerator>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// The settings file before the helper rewrites it, and after.
const QByteArray kOldSettings = "OLD=1\r\n";
const QByteArray kNewSettings = QByteArray("NEW=" + QByteArray(64, 'x') + "\r\n").repeated(2000);

// Renames of a file, and the journal cut short before them, or spoilt after them.
struct Start { int renames; QByteArray cutShort; QString spoil; };

QByteArray hash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

} // namespace

// What a program stopped at any moment, or another program, leaves for the next start.
class TestCrash : public QObject {
    Q_OBJECT

    ScratchVolume m_volume{"64m"};
    QTemporaryDir m_shm{"/dev/shm/shelfmaster-crash-XXXXXX"};
    QString m_other; // on another file system than the temporary folder
    QByteArray m_contents = QByteArray(160000, Qt::Uninitialized);
    int m_stops = 0;

private slots:
    void initTestCase()
    {
        struct stat tmp {}, shm {};
        if (m_volume.mounted() || (::stat("/tmp", &tmp) == 0 && ::stat(qPrintable(m_shm.path()), &shm) == 0 && tmp.st_dev != shm.st_dev))
            m_other = m_volume.mounted() ? m_volume.path() : m_shm.path();
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(m_contents.data()), m_contents.size() / 4);
    }

    // A command, its undo and its redo, with another program interfering between them, stopped at
    // every point where it makes something durable: after the next start has settled the journal,
    // and again after everything was undone, every content that was on disk is still there, no
    // temporary file is left, and the journal says where each file is. Even while stopped, no part
    // of a copy is under a real name, and a settings file being rewritten is the old or the new one.
    void undoJournalKilledWhileOthersInterfere_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("otherFileSystem");
        QTest::addColumn<QString>("interference");
        for (const auto &[operation, other] : {std::pair{"move", false}, {"move", true}, {"copy", false}, {"copy", true}, {"trash", false}, {"rename", false}, {"casefold", false}}) {
            for (const char *interference : {"original-taken", "target-taken", "changed", "removed"}) {
                // In a folder that ignores case, the new name is the file itself.
                if (QByteArray(operation) != "casefold" || QByteArray(interference) != "target-taken")
                    QTest::addRow("%s%s, %s", operation, other ? " to another file system" : "", interference) << QString(operation) << other << QString(interference);
            }
        }
        QTest::newRow("settings file rewritten") << "settings" << false << "none";
        QTest::newRow("a pair sent as one") << "unit" << false << "none";
        QTest::newRow("a pair sent as one to another file system") << "unit" << true << "none";
        // The first file comes back by a copy: it is at its source before its copy in the area goes.
        QTest::newRow("a pair that comes back from another file system, the second one's name taken there") << "unit" << true << "target-taken";
        QTest::newRow("a pair undone, redone and undone") << "unit-undone" << false << "none";
        QTest::newRow("a pair undone, redone and undone across file systems") << "unit-undone" << true << "none";
    }

    void undoJournalKilledWhileOthersInterfere()
    {
        QFETCH(QString, operation);
        QFETCH(bool, otherFileSystem);
        QFETCH(QString, interference);
        if (otherFileSystem && m_other.isEmpty()) SHELFMASTER_SKIP("no second file system here");
        QTemporaryDir here;
        const QString from = here.filePath("source"), to = otherFileSystem ? m_other + "/area" : here.filePath("area"), backup = here.filePath("backup");
        const QString trash = here.filePath("data"), journalPath = here.filePath("SHELFMASTER.UNDO"), settings = here.filePath("MSAREA.INI");
        // The two files sorted, the user's own under our temporary names, and one renamed last.
        const QList<QByteArray> originals = {m_contents.mid(0, 65536), m_contents.mid(65536, 65536), m_contents.mid(131072, 1000),
                                             m_contents.mid(140000, 1000), m_contents.mid(150000, 1000)};
        const auto prepare = [&] {
            for (const QString &folder : {from, to, trash, backup}) QDir(folder).removeRecursively();
            for (const QString &folder : {from, to, backup}) QDir().mkpath(folder);
            QFile::remove(journalPath);
            writeBytes(settings, kOldSettings);
            writeBytes(from + "/f0.jpg", originals[0]);
            writeBytes(from + "/f1.jpg", originals[1]);
            writeBytes(from + "/n.jpg", originals[4]);
            // A backup made with hard links gives the first file a second name elsewhere.
            QVERIFY(::link(QFile::encodeName(from + "/f0.jpg").constData(), QFile::encodeName(backup + "/f0.jpg").constData()) == 0);
            writeBytes(from + "/.shelfmaster-mine.jpg", originals[2]);
            writeBytes(to + "/.shelfmaster-mine.jpg", originals[3]);
        };
        // Every content on disk, by where it is; half-written temporary files do not count.
        const auto contentsOnDisk = [&] {
            QMultiHash<QByteArray, QString> contents;
            for (const QString &folder : {from, to, trash + "/Trash/files"}) {
                for (const QString &name : folderEntries(folder)) {
                    const QByteArray bytes = readBytes(folder + '/' + name);
                    if (!name.endsWith(".actor") && (!name.startsWith(".shelfmaster-") || originals.contains(bytes)))
                        contents.insert(hash(bytes), folder + '/' + name);
                }
            }
            return contents;
        };
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", SHELFMASTER_FAULTSHIM);
        environment.insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
        environment.insert("XDG_DATA_HOME", trash);
        QStringList faults;
        // Returns what the helper printed, or why it failed.
        const auto runHelper = [&](const QString &last) {
            QProcess process;
            process.setProcessEnvironment(environment);
            const QStringList arguments{journalPath, from, to, operation, interference, last};
            process.start(QCoreApplication::applicationDirPath() + "/undohelper", arguments);
            if (!process.waitForFinished(120000)) {
                process.kill();
                process.waitForFinished();
                faults << "the undo helper did not end: " + arguments.join(' ') + '\n' + QString::fromLocal8Bit(process.readAllStandardError());
            }
            return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? process.readAllStandardOutput() : process.readAllStandardError();
        };

        prepare();
        const QByteArray whole = runHelper({});
        const int points = whole.trimmed().toInt();
        // Every run stops at several points; a pair moved by renaming has the fewest that are not settings.
        QVERIFY2(points > (operation == "settings" ? 2 : 8), whole.constData());
        QCOMPARE(readBytes(settings), operation == "settings" ? kNewSettings : kOldSettings);
        // The other program's edits remove the first file's content with its consent.
        const bool firstMayGo = interference != "target-taken";
        for (int stopAt = 1; stopAt <= points + 1; ++stopAt) {
            prepare();
            runHelper(QString::number(stopAt));
            const QString run = QStringLiteral("stopped at step %1: ").arg(stopAt);
            const auto noPartOfACopy = [&](const QString &when) {
                for (const QString &folder : {from, to}) {
                    for (const QString &name : folderEntries(folder)) {
                        const QByteArray bytes = readBytes(folder + '/' + name);
                        if (!name.startsWith(".shelfmaster-") && bytes.size() < originals[0].size() && (originals[0].startsWith(bytes) || originals[1].startsWith(bytes)))
                            faults << run + when + ": part of a copy under the name " + name;
                    }
                }
            };
            noPartOfACopy("while stopped");
            if (readBytes(settings) != kOldSettings && readBytes(settings) != kNewSettings) faults << run + "settings file half written";
            const QMultiHash<QByteArray, QString> stopped = contentsOnDisk();
            for (qsizetype i = interference.endsWith("-taken") ? 0 : 1; i < originals.size(); ++i)
                if (!stopped.contains(hash(originals[i]))) faults << run + QStringLiteral("content %1 lost while running").arg(i);
            // A sync tool rewrites the first file at its old name before the next start, keeping
            // its size and time: only its bytes tell it from the copy that arrived.
            const QByteArray first = QFile::encodeName(from + "/f0.jpg");
            if (interference == "changed" && readBytes(from + "/f0.jpg") == originals[0]) {
                struct stat info {};
                const int fd = ::open(first.constData(), O_WRONLY);
                QVERIFY(fd >= 0 && ::fstat(fd, &info) == 0 && ::pwrite(fd, "synced", 6, 0) == 6);
                const timespec times[2] = {info.st_atim, info.st_mtim};
                QVERIFY(::futimens(fd, times) == 0 && ::close(fd) == 0);
            }
            // A camera puts the same picture under the old name again: that file is not ours.
            const bool cloned = interference == "original-taken" && readBytes(from + "/f0.jpg") == originals[0];
            if (cloned) {
                writeBytes(from + "/f0.jpg.actor", originals[0]);
                QVERIFY(::rename(QFile::encodeName(from + "/f0.jpg.actor").constData(), first.constData()) == 0);
            }
            // The file came back from the trash before the stop left its entry there; then the
            // trash is emptied and another file of that name goes into it.
            const QString entry = trash + "/Trash/info/f0.jpg.trashinfo";
            if (operation == "trash" && QFileInfo::exists(from + "/f0.jpg") && QFileInfo::exists(entry) && !QFileInfo::exists(trash + "/Trash/files/f0.jpg")) {
                writeBytes(trash + "/Trash/files/f0.jpg", "another picture");
                writeBytes(entry, "[Trash Info]\nPath=/elsewhere/f0.jpg\nDeletionDate=2026-12-07T10:00:00\n");
            }
            const QMultiHash<QByteArray, QString> before = contentsOnDisk();
            runHelper("recover"); // the next start, on the same file systems
            if (cloned && !QFileInfo::exists(from + "/f0.jpg")) faults << run + "another program's file under the old name removed";
            fileops::UndoJournal journal(journalPath);
            if (journal.load()) faults << run + "journal set aside";
            const auto check = [&](const QString &when) {
                const QMultiHash<QByteArray, QString> after = contentsOnDisk();
                for (const QByteArray &content : before.uniqueKeys())
                    if (!after.contains(content)) faults << run + when + ": " + before.values(content).join(", ") + " removed";
                bool firstInItsFolder = false;
                for (const QString &folder : {from, to}) {
                    for (const QString &name : folderEntries(folder)) {
                        if (name.startsWith(".shelfmaster-") && name != ".shelfmaster-mine.jpg") faults << run + when + ": " + name + " left";
                        firstInItsFolder = firstInItsFolder || (folder == from && readBytes(folder + '/' + name) == originals[0]);
                    }
                }
                noPartOfACopy(when);
                if (operation.startsWith("unit") && QFileInfo::exists(from + "/f0.jpg") != QFileInfo::exists(from + "/f1.jpg"))
                    faults << run + when + ": the pair was split";
                // A rename within the folder never takes the first file out of it.
                if ((operation == "casefold" || operation == "rename") && interference.endsWith("-taken") && !firstInItsFolder)
                    faults << run + when + ": the first file left its folder";
                // The desktop finds a file in the trash by its entry, and offers an entry only
                // with its file, unless another program took a file out of the trash.
                QStringList entries = folderEntries(trash + "/Trash/info");
                if (interference != "removed" && entries.replaceInStrings(".trashinfo", "") != folderEntries(trash + "/Trash/files"))
                    faults << run + when + ": the trash's files and entries disagree";
            };
            check("after the start");
            if (operation == "unit" && journal.canRedo()) faults << run + "a pair never undone can be redone";
            // A file of ours that reached the trash can be put back: the journal knows where it is.
            for (const QString &name : folderEntries(trash + "/Trash/files")) {
                const QByteArray place = QFile::encodeName(trash + "/Trash/files/" + name);
                const bool known = std::ranges::any_of(journal.doneSteps(), [&](const fileops::JournalStep &step) {
                    return std::ranges::any_of(step.files, [&](const fileops::JournalFile &file) { return file.atTarget && file.target == place; });
                });
                if (readBytes(QFile::decodeName(place)) == originals[1] && !known) faults << run + "the journal lost " + place;
            }
            // The name as a folder that ignores letter case finds it.
            const auto onDisk = [&](const QByteArray &path) {
                const QString folder = QFile::decodeName(platform::folderOf(path)), name = QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
                for (const QString &entry : folderEntries(folder))
                    if (entry == name || (operation == "casefold" && entry.compare(name, Qt::CaseInsensitive) == 0)) return QFile::encodeName(folder + '/' + entry);
                return path;
            };
            for (const QList<fileops::JournalStep> *list : {&journal.doneSteps(), &journal.undoneSteps()}) {
                for (const fileops::JournalStep &step : *list) {
                    const bool done = list == &journal.doneSteps();
                    if (done ? std::ranges::none_of(step.files, &fileops::JournalFile::atTarget) : std::ranges::all_of(step.files, &fileops::JournalFile::atTarget))
                        faults << run + QStringLiteral("step %1 is on the wrong list").arg(step.id);
                    if (!done && !journal.doneSteps().isEmpty() && step.id < journal.doneSteps().last().id)
                        faults << run + QStringLiteral("step %1 can be redone after a newer command").arg(step.id);
                    for (const fileops::JournalFile &file : step.files) {
                        const QByteArray place = file.atTarget ? file.target : file.source;
                        // Unless another program changed it, the file the journal has is the one
                        // it had; nor does it ever take another program's file under the name for it.
                        const bool first = file.source.endsWith("/f0.jpg");
                        if (first && readBytes(QFile::decodeName(place)) == QByteArray(originals[0].size(), 's'))
                            faults << run + "the journal took another program's file at " + place;
                        if (first && firstMayGo) continue;
                        const QByteArray content = originals[first ? 0 : file.source.endsWith("/f1.jpg") ? 1 : 4];
                        if (fileops::identityOf(onDisk(place)) != file.identity || readBytes(QFile::decodeName(onDisk(place))) != content)
                            faults << run + "the journal has another file at " + place;
                        // A copy taken back is gone from its place.
                        if (step.kind == fileops::StepKind::Copy && !file.atTarget && readBytes(QFile::decodeName(file.target)) == content)
                            faults << run + "a copy taken back is still at " + file.target;
                    }
                }
            }
            for (int i = 0; i < 4 && journal.canUndo(); ++i) journal.undo();
            check("after undoing everything");
        }
        qInfo("%d stops", points + 1);
        m_stops += points + 1;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // What the next start finds: the steps the last one left, the last thousand of them. A journal
    // stopped before its first line was whole is an empty one. One that another program holds is
    // neither read nor written: each would take the other's work under way for a crash. One that
    // is damaged, or that others could have written (and so could make the next start move or
    // delete any file), is set aside.
    void journalAtStart_data()
    {
        QTest::addColumn<Start>("row");
        QTest::newRow("more than a thousand steps") << Start{fileops::UndoJournal::kMaxSteps + 151, {}, ""};
        QTest::newRow("cut short, empty") << Start{1, "", ""};
        QTest::newRow("cut short in its header") << Start{1, "SHELFMAS", ""};
        for (const char *spoil : {"in use", "damaged", "writable by others", "owned by another user", "a link", "a relative path"})
            QTest::newRow(spoil) << Start{1, {}, spoil};
    }

    void journalAtStart()
    {
        QFETCH(Start, row);
        if (row.spoil == "owned by another user" && ::geteuid() != 0) SHELFMASTER_SKIP("only root can give a file away");
        QTemporaryDir dir;
        const QString path = dir.filePath("SHELFMASTER.UNDO");
        if (!row.cutShort.isNull()) writeBytes(path, row.cutShort);
        writeBytes(dir.filePath("a.jpg"), "a");
        auto first = std::make_unique<fileops::UndoJournal>(path);
        QCOMPARE(first->load(), std::nullopt);
        for (int i = 0; i < row.renames; ++i)
            QVERIFY(!first->rename(dir.filePath(i % 2 ? "b.jpg" : "a.jpg"), dir.filePath(i % 2 ? "a.jpg" : "b.jpg")));
        const QList<fileops::JournalStep> steps = first->doneSteps();
        // The last thousand, trimmed in the file too.
        QCOMPARE(steps.size(), qMin(row.renames, fileops::UndoJournal::kMaxSteps));
        QCOMPARE(steps.last().id, row.renames);
        QVERIFY(readBytes(path).count("\nstep ") <= fileops::UndoJournal::kMaxSteps * 11 / 10);
        struct stat info {};
        QVERIFY(::stat(qPrintable(path), &info) == 0 && (!row.cutShort.isNull() || (info.st_mode & 0777) == 0600)); // it lists the user's paths
        if (row.spoil != "in use") first.reset();
        const QByteArray bytes = readBytes(path);
        if (row.spoil == "damaged") writeBytes(path, bytes + "step x\n");
        if (row.spoil == "writable by others") QVERIFY(::chmod(qPrintable(path), 0666) == 0);
        if (row.spoil == "owned by another user") QVERIFY(::chown(qPrintable(path), 65534, 65534) == 0);
        if (row.spoil == "a link") QVERIFY(QFile::rename(path, path + ".real") && QFile::link(path + ".real", path));
        if (row.spoil == "a relative path") writeBytes(path, QByteArray(bytes).replace(QFile::encodeName(dir.path() + "/").toPercentEncoding({}, "-"), ""));

        fileops::UndoJournal again(path);
        QCOMPARE(again.load(), row.spoil.isEmpty() || row.spoil == "in use" ? std::nullopt : std::optional(path + ".damaged"));
        QVERIFY(again.doneSteps() == (row.spoil.isEmpty() ? steps : QList<fileops::JournalStep>()));
        QCOMPARE(bool(again.writeFailure()), row.spoil == "in use");
        QVERIFY(!again.rename(dir.filePath("b.jpg"), dir.filePath("c.jpg")));
        QVERIFY(row.spoil != "in use" || readBytes(path) == bytes);
    }

    void cleanupTestCase() { qInfo("%d stops of the undo helper in all", m_stops); }
};

SHELFMASTER_TEST_MAIN(TestCrash)
#include "tst_crash.moc"

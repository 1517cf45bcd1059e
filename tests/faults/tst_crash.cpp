#include "TestSupport.h"
#include "fileops/UndoJournal.h"
#include "platform/RawFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMultiHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

constexpr int kRuns = 50;
constexpr int kFileBytes = 16 * 1024 * 1024;
constexpr int kSettingsLines = 20000;
const QByteArray kOldSettings = "OLD=1\r\n";

QByteArray settingsAfter()
{
    QByteArray bytes;
    for (int i = 0; i < kSettingsLines; ++i)
        bytes += "NEW" + QByteArray::number(i) + '=' + QByteArray(64, 'x') + "\r\n";
    return bytes;
}

} // namespace

// A move to another file system and a settings rewrite, killed at random points: afterwards the
// file is whole at its source or at its target, and the settings file is the old or the new one.
class TestCrash : public QObject {
    Q_OBJECT

    testsupport::ScratchVolume m_volume{"64m"};
    QString m_otherFileSystem;
    QByteArray m_contents;
    int m_stops = 0;

    QString helper(const char *name = "crashhelper") const
    {
        return QCoreApplication::applicationDirPath() + '/' + QLatin1String(name);
    }

    // Starts the helper on fresh files; with a kill point, kills it there.
    qint64 run(const QString &source, const QString &target, const QString &settings, int killAfterMs)
    {
        QFile::remove(target);
        writeBytes(source, m_contents);
        writeBytes(settings, kOldSettings);
        QProcess process;
        QElapsedTimer timer;
        process.start(helper(), {source, target, settings, QString::number(kSettingsLines)});
        timer.start();
        if (!process.waitForStarted())
            qFatal("the crash helper does not start");
        if (killAfterMs >= 0) {
            QThread::msleep(ulong(killAfterMs));
            process.kill();
        }
        process.waitForFinished(60000);
        return timer.elapsed();
    }

private slots:
    void initTestCase()
    {
        struct stat tmp {};
        struct stat shm {};
        if (m_volume.mounted())
            m_otherFileSystem = m_volume.path();
        else if (::stat("/tmp", &tmp) == 0 && ::stat("/dev/shm", &shm) == 0 && tmp.st_dev != shm.st_dev)
            m_otherFileSystem = QStringLiteral("/dev/shm/shelfmaster-crash-") + QString::number(::getpid());
        m_contents.resize(kFileBytes);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32 *>(m_contents.data()), kFileBytes / 4);
    }

    void killedAtRandomPoints()
    {
        if (m_otherFileSystem.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        QDir().mkpath(m_otherFileSystem);
        QTemporaryDir here;
        const QString source = m_otherFileSystem + "/a.mov";
        const QString target = here.filePath("a.mov");
        const QString settings = here.filePath("MSAREA.INI");
        const QByteArray newSettings = settingsAfter();

        // A run to the end tells how long the work takes.
        const qint64 whole = run(source, target, settings, -1);
        QCOMPARE(readBytes(target), m_contents);
        QCOMPARE(readBytes(settings), newSettings);

        QRandomGenerator generator(20261206);
        QStringList faults;
        int atSource = 0;
        int atTarget = 0;
        for (int i = 0; i < kRuns; ++i) {
            const int killAfter = generator.bounded(int(whole * 12 / 10) + 1);
            run(source, target, settings, killAfter);
            const bool sourceWhole = QFileInfo::exists(source) && readBytes(source) == m_contents;
            const bool targetExists = QFileInfo::exists(target);
            const bool targetWhole = targetExists && readBytes(target) == m_contents;
            if (targetExists && !targetWhole)
                faults << QStringLiteral("run %1 (%2 ms): partial file under the real name").arg(i).arg(killAfter);
            if (!sourceWhole && !targetWhole)
                faults << QStringLiteral("run %1 (%2 ms): file lost").arg(i).arg(killAfter);
            const QByteArray now = readBytes(settings);
            if (now != kOldSettings && now != newSettings)
                faults << QStringLiteral("run %1 (%2 ms): settings file half written").arg(i).arg(killAfter);
            atSource += sourceWhole ? 1 : 0;
            atTarget += targetWhole ? 1 : 0;
        }
        qInfo("%d runs over %lld ms of work: whole at the source %d times, at the target %d times", kRuns,
              whole, atSource, atTarget);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // A command, its undo and its redo, with another program interfering between them, killed at
    // every point where it makes something durable: after the next start has settled the journal,
    // and again after everything was undone, every content that was on disk is still there, no
    // temporary file is left, and the journal says where each file is.
    void undoJournalKilledWhileOthersInterfere_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("otherFileSystem");
        QTest::addColumn<QString>("interference");
        const QList<std::pair<const char *, bool>> operations = {
            {"move", false}, {"move", true}, {"copy", false}, {"copy", true}, {"trash", false}, {"rename", false},
            {"casefold", false}};
        for (const auto &[operation, other] : operations) {
            for (const char *interference : {"original-taken", "target-taken", "changed", "removed"}) {
                // In a folder that ignores case, the new name is the file itself.
                if (QByteArray(operation) == "casefold" && QByteArray(interference) == "target-taken")
                    continue;
                QTest::addRow("%s%s, %s", operation, other ? " to another file system" : "", interference)
                    << operation << other << interference;
            }
        }
    }

    void undoJournalKilledWhileOthersInterfere()
    {
        QFETCH(QString, operation);
        QFETCH(bool, otherFileSystem);
        QFETCH(QString, interference);
        if (otherFileSystem && m_otherFileSystem.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        const QString shim = QStringLiteral(SHELFMASTER_FAULTSHIM);
        QTemporaryDir here;
        const QString from = here.filePath("source");
        const QString to = otherFileSystem ? m_otherFileSystem + "/area" : here.filePath("area");
        const QString trash = here.filePath("data");
        const QString journalPath = here.filePath("SHELFMASTER.UNDO");
        // The two files sorted, the user's own under our temporary names, and one renamed last.
        const QList<QByteArray> originals = {m_contents.mid(0, 65536), m_contents.mid(65536, 65536),
                                             m_contents.mid(131072, 1000), m_contents.mid(140000, 1000),
                                             m_contents.mid(150000, 1000)};
        const auto prepare = [&] {
            for (const QString &folder : {from, to, trash})
                QDir(folder).removeRecursively();
            QDir().mkpath(from);
            QDir().mkpath(to);
            QFile::remove(journalPath);
            writeBytes(from + "/f0.jpg", originals[0]);
            writeBytes(from + "/f1.jpg", originals[1]);
            writeBytes(from + "/n.jpg", originals[4]);
            // A backup made with hard links gives the first file a second name elsewhere.
            QDir(here.filePath("backup")).removeRecursively();
            QDir().mkpath(here.filePath("backup"));
            QVERIFY(::link(QFile::encodeName(from + "/f0.jpg").constData(),
                           QFile::encodeName(here.filePath("backup/f0.jpg")).constData()) == 0);
            // The user's own files under names our temporary files use.
            writeBytes(from + "/.shelfmaster-mine.jpg", originals[2]);
            writeBytes(to + "/.shelfmaster-mine.jpg", originals[3]);
        };
        // Every content on disk, by where it is; half-written temporary files do not count.
        const auto contentsOnDisk = [&] {
            QMultiHash<QByteArray, QString> contents;
            for (const QString &folder : {from, to, trash + "/Trash/files"}) {
                for (const QString &name : testsupport::folderEntries(folder)) {
                    const QByteArray bytes = readBytes(folder + '/' + name);
                    if (!name.endsWith(".actor") && (!name.startsWith(".shelfmaster-") || originals.contains(bytes)))
                        contents.insert(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1), folder + '/' + name);
                }
            }
            return contents;
        };
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", shim);
        environment.insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
        environment.insert("XDG_DATA_HOME", trash);
        QStringList faults;
        // Returns what the helper printed, or why it failed.
        const auto runHelper = [&](const QString &last) {
            QProcess process;
            process.setProcessEnvironment(environment);
            QStringList arguments{journalPath, from, to, operation, interference};
            if (!last.isEmpty())
                arguments << last;
            process.start(helper("undohelper"), arguments);
            if (!process.waitForFinished(120000)) {
                process.kill();
                process.waitForFinished();
                faults << "the undo helper did not end: " + arguments.join(' ') + '\n' +
                              QString::fromLocal8Bit(process.readAllStandardError());
            }
            return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
                       ? process.readAllStandardOutput()
                       : process.readAllStandardError();
        };

        prepare();
        const QByteArray whole = runHelper({});
        const int points = whole.trimmed().toInt();
        QVERIFY2(points > 10, whole.constData());
        // The other program's edits remove the first file's content with its consent.
        const bool firstMayGo = interference != "target-taken";
        for (int killAt = 1; killAt <= points + 1; ++killAt) {
            prepare();
            runHelper(QString::number(killAt));
            const QString run = QStringLiteral("stopped at step %1: ").arg(killAt);
            for (qsizetype i = interference == "target-taken" || interference == "original-taken" ? 0 : 1;
                 i < originals.size(); ++i) {
                if (!contentsOnDisk().contains(QCryptographicHash::hash(originals[i], QCryptographicHash::Sha1)))
                    faults << run + QStringLiteral("content %1 lost while running").arg(i);
            }
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
            if (operation == "trash" && QFileInfo::exists(from + "/f0.jpg") && QFileInfo::exists(entry) &&
                !QFileInfo::exists(trash + "/Trash/files/f0.jpg")) {
                writeBytes(trash + "/Trash/files/f0.jpg", "another picture");
                writeBytes(entry, "[Trash Info]\nPath=/elsewhere/f0.jpg\nDeletionDate=2026-12-07T10:00:00\n");
            }
            const QMultiHash<QByteArray, QString> before = contentsOnDisk();
            runHelper("recover"); // the next start, on the same file systems
            if (cloned && !QFileInfo::exists(from + "/f0.jpg"))
                faults << run + "another program's file under the old name removed";
            fileops::UndoJournal journal(journalPath);
            if (journal.load())
                faults << run + "journal set aside";
            const auto check = [&](const QString &when) {
                const QMultiHash<QByteArray, QString> after = contentsOnDisk();
                for (const QByteArray &content : before.uniqueKeys()) {
                    if (!after.contains(content))
                        faults << run + when + ": " + before.values(content).join(", ") + " removed";
                }
                bool firstInItsFolder = false;
                for (const QString &folder : {from, to}) {
                    for (const QString &name : testsupport::folderEntries(folder)) {
                        const QByteArray bytes = readBytes(folder + '/' + name);
                        if (name.startsWith(".shelfmaster-") && name != ".shelfmaster-mine.jpg")
                            faults << run + when + ": " + name + " left";
                        else if (bytes.size() < originals[0].size() && (originals[0].startsWith(bytes) || originals[1].startsWith(bytes)))
                            faults << run + when + ": part of a copy under the name " + name;
                        firstInItsFolder = firstInItsFolder || (folder == from && bytes == originals[0]);
                    }
                }
                // A rename within the folder never takes the first file out of it.
                if ((operation == "casefold" || operation == "rename") && interference.endsWith("-taken") &&
                    !firstInItsFolder)
                    faults << run + when + ": the first file left its folder";
                // The desktop finds a file in the trash by its entry, and offers an entry only
                // with its file.
                QStringList entries = testsupport::folderEntries(trash + "/Trash/info");
                entries.replaceInStrings(".trashinfo", "");
                // Unless another program took a file out of the trash.
                if (interference != "removed" && entries != testsupport::folderEntries(trash + "/Trash/files"))
                    faults << run + when + ": the trash's files and entries disagree";
            };
            check("after the start");
            // A file of ours that reached the trash can be put back: the journal knows where it is.
            for (const QString &name : testsupport::folderEntries(trash + "/Trash/files")) {
                const QByteArray place = QFile::encodeName(trash + "/Trash/files/" + name);
                const bool known = std::ranges::any_of(journal.doneSteps(), [&](const fileops::JournalStep &step) {
                    return std::ranges::any_of(step.files, [&](const fileops::JournalFile &file) {
                        return file.atTarget && file.target == place;
                    });
                });
                if (readBytes(QFile::decodeName(place)) == originals[1] && !known)
                    faults << run + "the journal lost " + place;
            }
            // The name as a folder that ignores letter case finds it.
            const auto onDisk = [&](const QByteArray &path) {
                const QString folder = QFile::decodeName(platform::folderOf(path));
                const QString name = QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
                for (const QString &entry : testsupport::folderEntries(folder)) {
                    if (entry == name || (operation == "casefold" && entry.compare(name, Qt::CaseInsensitive) == 0))
                        return QFile::encodeName(folder + '/' + entry);
                }
                return path;
            };
            for (const QList<fileops::JournalStep> *list : {&journal.doneSteps(), &journal.undoneSteps()}) {
                for (const fileops::JournalStep &step : *list) {
                    const bool allAtTarget = std::ranges::all_of(step.files, &fileops::JournalFile::atTarget);
                    const bool noneAtTarget = std::ranges::none_of(step.files, &fileops::JournalFile::atTarget);
                    if (list == &journal.doneSteps() ? noneAtTarget : allAtTarget)
                        faults << run + QStringLiteral("step %1 is on the wrong list").arg(step.id);
                    if (list == &journal.undoneSteps() && !journal.doneSteps().isEmpty() &&
                        step.id < journal.doneSteps().last().id)
                        faults << run + QStringLiteral("step %1 can be redone after a newer command").arg(step.id);
                    for (const fileops::JournalFile &file : step.files) {
                        const QByteArray place = file.atTarget ? file.target : file.source;
                        // Unless another program changed it, the file the journal has is the one it had.
                        const bool first = file.source.endsWith("/f0.jpg");
                        // Nor does it ever take another program's file under the name for it.
                        if (first && readBytes(QFile::decodeName(place)) == QByteArray(originals[0].size(), 's'))
                            faults << run + "the journal took another program's file at " + place;
                        if (first && firstMayGo)
                            continue;
                        const QByteArray content = originals[first ? 0 : file.source.endsWith("/f1.jpg") ? 1 : 4];
                        if (fileops::identityOf(onDisk(place)) != file.identity ||
                            readBytes(QFile::decodeName(onDisk(place))) != content)
                            faults << run + "the journal has another file at " + place;
                        // A copy taken back is gone from its place.
                        if (step.kind == fileops::StepKind::Copy && !file.atTarget &&
                            readBytes(QFile::decodeName(file.target)) == content)
                            faults << run + "a copy taken back is still at " + file.target;
                    }
                }
            }
            for (int i = 0; i < 4 && journal.canUndo(); ++i)
                journal.undo();
            check("after undoing everything");
        }
        qInfo("%d stops", points + 1);
        m_stops += points + 1;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    void cleanupTestCase()
    {
        qInfo("%d stops of the undo helper in all", m_stops);
        if (m_otherFileSystem.startsWith("/dev/shm/"))
            QDir(m_otherFileSystem).removeRecursively();
    }
};

SHELFMASTER_TEST_MAIN(TestCrash)
#include "tst_crash.moc"

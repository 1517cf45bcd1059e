#include "TestSupport.h"
#include "fileops/UndoJournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
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

    void cleanupTestCase()
    {
        if (m_otherFileSystem.startsWith("/dev/shm/"))
            QDir(m_otherFileSystem).removeRecursively();
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

    // A sort of several files to another file system, its undo and its redo, killed at random
    // points: the next start finds every file exactly once, no temporary file, and a journal
    // that says where each file is.
    void undoJournalKilledAtRandomPoints()
    {
        if (m_otherFileSystem.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        constexpr int kFiles = 12;
        QTemporaryDir here;
        const QString from = here.filePath("source");
        const QString to = m_otherFileSystem + "/area";
        const QString journalPath = here.filePath("SHELFMASTER.UNDO");
        const auto contentOf = [&](int i) { return m_contents.mid(i * 65536, 1024 * 1024); };
        const auto prepare = [&] {
            QDir(from).removeRecursively();
            QDir(to).removeRecursively();
            QDir().mkpath(from);
            QDir().mkpath(to);
            QFile::remove(journalPath);
            for (int i = 0; i < kFiles; ++i)
                writeBytes(from + QStringLiteral("/f%1.jpg").arg(i), contentOf(i));
        };
        const auto runHelper = [&](int killAfterMs) {
            QProcess process;
            QElapsedTimer timer;
            process.start(helper("undohelper"), {journalPath, from, to, QString::number(kFiles)});
            timer.start();
            if (!process.waitForStarted())
                qFatal("the undo helper does not start");
            if (killAfterMs >= 0) {
                QThread::msleep(ulong(killAfterMs));
                process.kill();
            }
            process.waitForFinished(60000);
            return killAfterMs >= 0 || process.exitCode() == 0 ? timer.elapsed() : qint64(-1);
        };

        prepare();
        const qint64 whole = runHelper(-1);
        QVERIFY(whole >= 0);
        QRandomGenerator generator(61206);
        QStringList faults;
        for (int run = 0; run < 30; ++run) {
            prepare();
            const int killAfter = generator.bounded(int(whole * 12 / 10) + 1);
            runHelper(killAfter);
            fileops::UndoJournal journal(journalPath); // the next start
            if (journal.load())
                faults << QStringLiteral("run %1: journal set aside").arg(run);
            for (int i = 0; i < kFiles; ++i) {
                const QString name = QStringLiteral("/f%1.jpg").arg(i);
                const bool atSource = QFileInfo::exists(from + name);
                const bool atTarget = QFileInfo::exists(to + name);
                if (atSource == atTarget)
                    faults << QStringLiteral("run %1 (%2 ms): %3 %4").arg(run).arg(killAfter).arg(name,
                                 atSource ? "is in two places" : "is lost");
                else if (readBytes((atSource ? from : to) + name) != contentOf(i))
                    faults << QStringLiteral("run %1 (%2 ms): %3 damaged").arg(run).arg(killAfter).arg(name);
            }
            for (const QString &folder : {from, to}) {
                for (const QString &name : testsupport::folderEntries(folder)) {
                    if (name.startsWith(".shelfmaster-"))
                        faults << QStringLiteral("run %1 (%2 ms): %3 left").arg(run).arg(killAfter).arg(name);
                }
            }
            for (const fileops::JournalStep &step : journal.doneSteps()) {
                for (const fileops::JournalFile &file : step.files) {
                    if (!QFileInfo::exists(QFile::decodeName(file.atTarget ? file.target : file.source)))
                        faults << QStringLiteral("run %1 (%2 ms): the journal has %3 where it is not").arg(run).arg(killAfter).arg(QString::fromUtf8(file.source));
                }
            }
        }
        qInfo("30 runs over %lld ms of sorting, undoing and redoing %d files", whole, kFiles);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }
};

SHELFMASTER_TEST_MAIN(TestCrash)
#include "tst_crash.moc"

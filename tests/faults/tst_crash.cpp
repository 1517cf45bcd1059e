#include "TestSupport.h"

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

    QString helper() const { return QCoreApplication::applicationDirPath() + "/crashhelper"; }

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
};

SHELFMASTER_TEST_MAIN(TestCrash)
#include "tst_crash.moc"

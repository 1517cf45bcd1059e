#include "TestSupport.h"
#include "platform/FileDeletion.h"
#include "platform/FileNames.h"
#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::writeBytes;

class TestTrash : public QObject {
    Q_OBJECT

    QTemporaryDir m_data; // the home trash lives under it
    QTemporaryDir m_files;

    QByteArray homeTrash() const { return QFile::encodeName(m_data.path()) + "/Trash"; }
    QByteArray file(const QByteArray &name) const { return QFile::encodeName(m_files.path()) + '/' + name; }

    static QByteArray infoPattern(const QByteArray &path)
    {
        return "\\[Trash Info\\]\nPath=" + QRegularExpression::escape(QString::fromLatin1(path)).toLatin1() +
               "\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n";
    }

    static bool exists(const QByteArray &path) { return ::access(path.constData(), F_OK) == 0; }

    // Reads a file by its bytes: QFile cannot name every one of them.
    static QByteArray contents(const QByteArray &path)
    {
        QFile file;
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return {};
        return file.readAll();
    }

    static bool matchesInfo(const QByteArray &info, const QByteArray &path)
    {
        return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromLatin1(infoPattern(path))))
            .match(QString::fromLatin1(info))
            .hasMatch();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    void cleanup() { QDir(m_data.path() + "/Trash").removeRecursively(); }

    // Names are kept as bytes, whatever their encoding; the info file names them percent-encoded.
    void trashesByTheBytesOfTheName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("not UTF-8") << QByteArray("\xe9t\xe9.jpg") << QByteArray("%E9t%E9.jpg");
        QTest::newRow("UTF-8") << QByteArray("\xc3\xa9t\xc3\xa9.jpg") << QByteArray("%C3%A9t%C3%A9.jpg");
        QTest::newRow("blank, percent, markup") << QByteArray("a b%<c>.jpg") << QByteArray("a%20b%25%3Cc%3E.jpg");
    }

    void trashesByTheBytesOfTheName()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, encoded);
        writeBytes(QFile::decodeName(file("x")), "picture");
        QCOMPARE(::rename(file("x").constData(), file(name).constData()), 0);

        const platform::TrashResult result = platform::moveToTrash(file(name));
        QVERIFY2(!result.failure, result.failure ? qPrintable(result.failure->text()) : "");
        QVERIFY(!exists(file(name)));
        QCOMPARE(result.trashed.file, homeTrash() + "/files/" + name);
        QCOMPARE(result.trashed.info, homeTrash() + "/info/" + name + ".trashinfo");
        QVERIFY(exists(result.trashed.file));
        const QByteArray folder = QFile::encodeName(m_files.path()).toPercentEncoding("/");
        const QByteArray info = contents(result.trashed.info);
        QVERIFY2(matchesInfo(info, folder + '/' + encoded), info.constData());
        // QDir cannot remove what it cannot name.
        ::unlink(result.trashed.file.constData());
        ::unlink(result.trashed.info.constData());
    }

    // With the default options a delete goes to the trash; a name that is not UTF-8 goes too.
    void deleteSendsAnyNameToTheTrash()
    {
        writeBytes(QFile::decodeName(file("x")), "picture");
        QCOMPARE(::rename(file("x").constData(), file("\xe9.jpg").constData()), 0);
        QCOMPARE(platform::deleteFile(platform::decodeFileName(file("\xe9.jpg")), true, false), 0);
        QVERIFY(!exists(file("\xe9.jpg")));
        QVERIFY(exists(homeTrash() + "/files/\xe9.jpg"));
        ::unlink((homeTrash() + "/files/\xe9.jpg").constData());
        ::unlink((homeTrash() + "/info/\xe9.jpg.trashinfo").constData());
    }

    void sameNameTwiceKeepsBoth()
    {
        for (const char *content : {"first", "second"}) {
            writeBytes(QFile::decodeName(file("a.jpg")), content);
            QVERIFY(!platform::moveToTrash(file("a.jpg")).failure);
        }
        QCOMPARE(folderEntries(homeTrash() + "/files"), (QStringList{"a.2.jpg", "a.jpg"}));
        QCOMPARE(folderEntries(homeTrash() + "/info"), (QStringList{"a.2.jpg.trashinfo", "a.jpg.trashinfo"}));
        QCOMPARE(readBytes(homeTrash() + "/files/a.jpg"), QByteArray("first"));
        QCOMPARE(readBytes(homeTrash() + "/files/a.2.jpg"), QByteArray("second"));
    }

    void missingFileIsAFailure()
    {
        const platform::TrashResult result = platform::moveToTrash(file("gone.jpg"));
        QVERIFY(result.failure);
        QVERIFY(!exists(homeTrash() + "/info/gone.jpg.trashinfo"));
    }

    // A fresh home has no data folder yet: it is made with its parents, the home trash inside.
    void makesTheMissingDataFolder()
    {
        const QByteArray dataHome = QFile::encodeName(m_data.path()) + "/fresh/.local/share";
        qputenv("XDG_DATA_HOME", dataHome);
        writeBytes(QFile::decodeName(file("a.jpg")), "picture");
        const platform::TrashResult result = platform::moveToTrash(file("a.jpg"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        QVERIFY(!result.failure);
        QCOMPARE(result.trashed.file, dataHome + "/Trash/files/a.jpg");
        struct stat made {};
        QCOMPARE(::stat(QFile::encodeName(m_data.path() + "/fresh").constData(), &made), 0);
        QCOMPARE(made.st_mode & 07777, mode_t(0700));
    }

    // On another volume the file goes to that volume's own trash, named relative to its top, also
    // when it is reached through a link from elsewhere.
    void otherVolumeUsesItsOwnTrash_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("on the volume") << false;
        QTest::newRow("through a link to a folder on it") << true;
    }

    void otherVolumeUsesItsOwnTrash()
    {
        QFETCH(bool, throughLink);
        testsupport::ScratchVolume volume("1m");
        if (!volume.mounted())
            SHELFMASTER_SKIP("needs root to mount a second file system");
        const QByteArray top = QFile::encodeName(volume.path());
        QVERIFY(QDir(volume.path()).mkdir(QStringLiteral("sub")));
        writeBytes(volume.path() + "/sub/b c.jpg", "picture");
        const QByteArray folder = throughLink ? file("link") : top + "/sub";
        if (throughLink)
            QCOMPARE(::symlink((top + "/sub").constData(), folder.constData()), 0);
        const platform::TrashResult result = platform::moveToTrash(folder + "/b c.jpg");
        ::unlink(file("link").constData());
        QVERIFY(!result.failure);
        const QByteArray trash = top + "/.Trash-" + QByteArray::number(::getuid());
        QCOMPARE(result.trashed.file, trash + "/files/b c.jpg");
        QVERIFY(exists(result.trashed.file));
        QVERIFY(matchesInfo(contents(result.trashed.info), "sub/b%20c.jpg"));
    }
};

SHELFMASTER_TEST_MAIN(TestTrash)
#include "tst_trash.moc"

#include "platform/TextFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>

using namespace platform;
using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::writeBytes;

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void splitsLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << "" << QStringList();
        QTest::newRow("CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("LF") << "a\nb\n" << QStringList{"a", "b"};
        QTest::newRow("last line without end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty line at the end") << "a\r\n\r\n" << QStringList{"a", ""};
        QTest::newRow("empty line inside") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
        QTest::newRow("lone CR stays in the line") << "a\rb\n" << QStringList{"a\rb"};
    }
    void splitsLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(splitLines(text), lines);
    }

    void decodesUtf8OrWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac") << QString::fromUtf8("Café €");
        QTest::newRow("1252 accents") << QByteArray("Caf\xe9") << QString::fromUtf8("Café");
        QTest::newRow("1252 euro and quotes") << QByteArray("\x80 \x93x\x94") << QString::fromUtf8("€ “x”");
    }
    void decodesUtf8OrWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeText(bytes), text);
    }

    void writesCrLfUtf8()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.ini");
        QVERIFY(!writeTextLines(path, {QString::fromUtf8("A=é"), "B= x = y "}));
        QCOMPARE(readBytes(path), QByteArray("A=\xc3\xa9\r\nB= x = y \r\n"));
        QCOMPARE(folderEntries(dir.path()), QStringList{"f.ini"});
    }

    void missingFileIsFileNotFound()
    {
        QTemporaryDir dir;
        const TextFileRead read = readTextLines(dir.filePath("none.ini"));
        QVERIFY(read.failure);
        QCOMPARE(read.failure->kind, FailureKind::FileNotFound);
    }

    void readOnlyFileIsRefusedAndKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.ini");
        writeBytes(path, "old\r\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        const MaybeFailure failure = writeTextLines(path, {"new"});
        QVERIFY(failure);
        QVERIFY(failure->text().startsWith(QString::number(EACCES) + ' '));
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
        QCOMPARE(folderEntries(dir.path()), QStringList{"f.ini"});
    }

    void failedWriteLeavesOldFileWhole()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath("file");
        writeBytes(blocker, "x");
        // A folder that cannot exist: its parent is a plain file.
        QVERIFY(writeTextLines(blocker + "/sub/f.ini", {"new"}));
        QCOMPARE(readBytes(blocker), QByteArray("x"));
    }

    void keepsPermissionsOfReplacedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.ini");
        writeBytes(path, "old\r\n");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
        QFile::setPermissions(path, permissions);
        QVERIFY(!writeTextLines(path, {"new"}));
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
    }

    // A catalogue kept elsewhere through a link stays linked: the link's target is replaced.
    void replacesTheTargetOfALink_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("absolute") << "abs" << true;
        QTest::newRow("relative") << "rel" << true;
        QTest::newRow("target not made yet") << "rel" << false;
    }

    void replacesTheTargetOfALink()
    {
        QFETCH(QString, link);
        QFETCH(bool, targetExists);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("kept"));
        const QString target = dir.filePath("kept/f.ini");
        if (targetExists)
            writeBytes(target, "old\r\n");
        const QString linkPath = dir.filePath("f.ini");
        QVERIFY(QFile::link(link == "abs" ? target : QStringLiteral("kept/f.ini"), linkPath));
        QVERIFY(!writeTextLines(linkPath, {"new"}));
        QVERIFY(QFileInfo(linkPath).isSymLink());
        QCOMPARE(readBytes(target), QByteArray("new\r\n"));
        QCOMPARE(folderEntries(dir.filePath("kept")), QStringList{"f.ini"});
    }

    void newFileTakesTheUsualMode()
    {
        QTemporaryDir dir;
        const mode_t mask = ::umask(022);
        const QString path = dir.filePath("f.ini");
        QVERIFY(!writeTextLines(path, {"new"}));
        ::umask(mask);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0644));
    }

    void appends_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("missing file") << QByteArray() << QByteArray("N=1\r\n");
        QTest::newRow("ends with a line end") << QByteArray("A\r\n") << QByteArray("A\r\nN=1\r\n");
        QTest::newRow("last line unended") << QByteArray("A") << QByteArray("A\r\nN=1\r\n");
        QTest::newRow("windows-1252 file becomes utf-8")
            << QByteArray("Caf\xe9\r\n") << QByteArray("Caf\xc3\xa9\r\nN=1\r\n");
    }
    void appends()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("f.ini");
        if (!before.isEmpty())
            writeBytes(path, before);
        QVERIFY(!appendTextLines(path, {"N=1"}));
        QCOMPARE(readBytes(path), after);
    }
};

SHELFMASTER_TEST_MAIN(TestTextFile)
#include "tst_textfile.moc"

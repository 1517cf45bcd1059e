#include "browse/FileListRules.h"
#include "TestSupport.h"

using namespace browse;

class TestFileListRules : public QObject {
    Q_OBJECT

private slots:
    void listsPicturesAndMovies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("listed");
        for (const char *name : {"a.jpg", "a.JPG", "a.gif", "a.bmp", "a.Jpeg", "a.mov", "a.mpeg",
                                 "a.MPG", "a.avi", "holiday.2024.jpg", "a b.jpg"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        for (const char *name : {"a.png", "a.txt", "ajpg", "a.jpg.txt", ".hidden.jpg", "a.jpe",
                                 "MSAREA.INI"})
            QTest::newRow(name) << QString::fromLatin1(name) << false;
    }

    void listsPicturesAndMovies()
    {
        QFETCH(QString, name);
        QFETCH(bool, listed);
        QCOMPARE(isListedFileName(name), listed);
    }

    void fileKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("movie");
        QTest::newRow("jpeg") << "holiday.JPEG" << true << false;
        QTest::newRow("gif") << "a.gif" << true << false;
        QTest::newRow("bmp") << "a.Bmp" << true << false;
        QTest::newRow("the dot is not looked at") << "pictureJPG" << true << false;
        QTest::newRow("avi") << "clip.avi" << false << true;
        QTest::newRow("mpeg") << "clip.MPEG" << false << true;
        QTest::newRow("mov") << "clip.mov" << false << true;
        QTest::newRow("neither") << "notes.txt" << false << false;
        QTest::newRow("no name") << "" << false << false;
    }

    void fileKinds()
    {
        QFETCH(QString, name);
        QFETCH(bool, picture);
        QFETCH(bool, movie);
        QCOMPARE(isPictureName(name), picture);
        QCOMPARE(isMovieName(name), movie);
    }

    void sortsWithoutRegardToCase()
    {
        QStringList names{"b.jpg", "C.jpg", "a.jpg", "B.jpg", "é.jpg", "10.jpg", "A.jpg"};
        sortFileNames(names);
        QCOMPARE(names, (QStringList{"10.jpg", "A.jpg", "a.jpg", "B.jpg", "b.jpg", "C.jpg", "é.jpg"}));
    }

    void statusText_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("status");
        QTest::newRow("folder") << 3 << "/pics/holiday" << "3 file(s) - /pics/holiday/";
        QTest::newRow("one file") << 1 << "/pics" << "1 file(s) - /pics/";
        QTest::newRow("root") << 5 << "/" << "5 file(s) - /";
        QTest::newRow("many") << 100000 << "/big" << "100000 file(s) - /big/";
        QTest::newRow("empty") << 0 << "/pics" << "<empty>";
    }

    void statusText()
    {
        QFETCH(int, count);
        QFETCH(QString, folder);
        QFETCH(QString, status);
        QCOMPARE(fileListStatus(count, folder), status);
    }

    void reselection_data()
    {
        QTest::addColumn<int>("remembered");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<int>("selected");
        // A, B, C, D with B current: B moved away leaves A, C, D and C takes its place.
        QTest::newRow("move, middle") << 1 << 3 << false << 1;
        QTest::newRow("move, first") << 0 << 3 << false << 0;
        QTest::newRow("move, last wraps to the first") << 3 << 3 << false << 0;
        QTest::newRow("move, only file") << 0 << 0 << false << -1;
        QTest::newRow("copy, middle advances") << 1 << 4 << true << 2;
        QTest::newRow("copy, last stays") << 3 << 4 << true << 3;
        QTest::newRow("copy, only file stays") << 0 << 1 << true << 0;
        QTest::newRow("copy, current gone past the end") << 3 << 3 << true << -1;
        QTest::newRow("move, nothing was current") << -1 << 3 << false << -1;
    }

    void reselection()
    {
        QFETCH(int, remembered);
        QFETCH(int, count);
        QFETCH(bool, copy);
        QFETCH(int, selected);
        QCOMPARE(reselectedIndex(remembered, count, copy), selected);
    }
};

SHELFMASTER_TEST_MAIN(TestFileListRules)
#include "tst_filelistrules.moc"

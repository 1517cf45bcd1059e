#include "browse/BrowseContext.h"
#include "browse/FileListRules.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <QThreadPool>

using namespace browse;

namespace {

QStringList listedNames(const BrowseContext &context)
{
    QStringList names;
    for (int row = 0; row < context.count(); ++row)
        names << context.name(row);
    return names;
}

QStringList selectedNames(const BrowseContext &context)
{
    QStringList names;
    for (const int row : context.selectedRows())
        names << context.name(row);
    return names;
}

} // namespace

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

    // The context applies the rule of each change: A, B, C, D with one current file.
    void contextReselects_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("moved, middle") << "move" << 1 << "c.jpg";
        QTest::newRow("moved, last wraps") << "move" << 3 << "a.jpg";
        QTest::newRow("copied, middle advances") << "copy" << 1 << "c.jpg";
        QTest::newRow("deleted, last") << "delete" << 3 << "c.jpg";
        QTest::newRow("renamed out of the list, last") << "rename" << 3 << "c.jpg";
        QTest::newRow("space, last wraps") << "step" << 3 << "a.jpg";
    }

    void contextReselects()
    {
        QFETCH(QString, change);
        QFETCH(int, current);
        QFETCH(QString, chosen);
        QTemporaryDir folder;
        testsupport::createFiles(folder.path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        BrowseContext context;
        QVERIFY(!context.setPath(folder.path()));
        context.select(current);
        const QString name = context.currentName();
        QSignalSpy shown(&context, &BrowseContext::currentChosen);
        if (change == "move" || change == "copy") {
            context.removeNames(change == "move" ? QSet<QString>{name} : QSet<QString>{});
            context.reselectAfterSort(current, change == "copy");
        } else if (change == "delete") {
            context.removeNames({name});
            context.reselectAfterDelete(current);
        } else if (change == "rename") {
            context.renameEntry(name, name + ".txt");
            context.reselectAfterRename(current);
        } else {
            context.stepToNext();
        }
        QCOMPARE(selectedNames(context), QStringList{chosen});
        QCOMPARE(context.currentName(), chosen);
        QCOMPARE(shown.count(), 1);
    }

    // A read in the background keeps the current file and the selection by name.
    void contextRereadKeepsTheCurrentFile_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("currentGone");
        QTest::newRow("a file added before it") << QStringList{"aa.jpg"} << QStringList{} << "b.jpg"
                                                << QStringList{"a.jpg", "b.jpg"} << -1;
        QTest::newRow("the current file removed") << QStringList{} << QStringList{"b.jpg"} << ""
                                                  << QStringList{"a.jpg"} << 1;
    }

    void contextRereadKeepsTheCurrentFile()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, removed);
        QFETCH(QString, current);
        QFETCH(QStringList, selected);
        QFETCH(int, currentGone);
        QTemporaryDir folder;
        testsupport::createFiles(folder.path(), {"a.jpg", "b.jpg", "c.jpg"});
        BrowseContext context;
        QVERIFY(!context.setPath(folder.path()));
        context.select(0);
        context.select(1);
        testsupport::createFiles(folder.path(), added);
        for (const QString &name : removed)
            QVERIFY(QFile::remove(folder.filePath(name)));
        QSignalSpy reread(&context, &BrowseContext::reread);
        context.refreshInBackground();
        QVERIFY(reread.wait());
        QCOMPARE(reread.first().first().toInt(), currentGone);
        QCOMPARE(context.currentName(), current);
        QCOMPARE(selectedNames(context), selected);
    }

    // A read that finished after a newer change of the list is not applied: c.jpg, which it
    // found, was removed since.
    void contextDropsAnOutdatedRead_data()
    {
        QTest::addColumn<QString>("newer");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("a newer read") << "read" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("a command acts on the list") << "stop" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("files left the list") << "remove" << QStringList{"b.jpg"};
    }

    void contextDropsAnOutdatedRead()
    {
        QFETCH(QString, newer);
        QFETCH(QStringList, listed);
        QTemporaryDir folder;
        testsupport::createFiles(folder.path(), {"a.jpg", "b.jpg"});
        BrowseContext context;
        QVERIFY(!context.setPath(folder.path()));
        testsupport::createFiles(folder.path(), {"c.jpg"});
        QSignalSpy reread(&context, &BrowseContext::reread);
        context.refreshInBackground();
        QThreadPool::globalInstance()->waitForDone(); // its result waits in the event queue
        QVERIFY(QFile::remove(folder.filePath("c.jpg")));
        if (newer == "read")
            context.refreshInBackground();
        else if (newer == "stop")
            context.stopBackgroundRead();
        else
            context.removeNames({"a.jpg"});
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(listedNames(context), listed);
        QCOMPARE(reread.count(), 0);
    }
};

SHELFMASTER_TEST_MAIN(TestFileListRules)
#include "tst_filelistrules.moc"

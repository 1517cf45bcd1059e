#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "browse/FileListBox.h"
#include "platform/Volumes.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>

using platform::MessageIcon;

class TestBrowsing : public QObject {
    Q_OBJECT

private slots:
    void startsInTheCurrentFolder()
    {
        ProgramHarness harness;
        QTemporaryDir folder;
        testsupport::createFiles(folder.path(), {"b.JPG", "a.jpg", "C.avi", "notes.txt", ".hidden.jpg"});
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub.jpg")));
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();

        QCOMPARE(main.Dir1->Path(), folder.path());
        QCOMPARE(harness.listedFiles(), (QStringList{"a.jpg", "b.JPG", "C.avi"}));
        QCOMPARE(main.File1->ListIndex(), -1);
        QCOMPARE(main.statusPanel1->text(), QStringLiteral("3 file(s) - %1/").arg(folder.path()));
    }

    void emptyFolderDisablesDelete()
    {
        ProgramHarness harness;
        harness.startIn({"readme.txt"});
        QCOMPARE(harness.main().statusPanel1->text(), QStringLiteral("<empty>"));
        QVERIFY(!harness.main().btnDelete->isEnabled());
    }

    void activatingAFolderOpensIt()
    {
        ProgramHarness harness;
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("trips/rome")));
        testsupport::createFiles(folder.filePath(QStringLiteral("trips")), {"x.gif"});
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();

        emit main.Dir1->itemActivated(main.Dir1->findItems(QStringLiteral("trips"), Qt::MatchExactly).value(0));
        QCOMPARE(main.Dir1->Path(), folder.filePath(QStringLiteral("trips")));
        QCOMPARE(harness.listedFiles(), QStringList{"x.gif"});
        QCOMPARE(main.statusPanel1->text(), QStringLiteral("1 file(s) - %1/").arg(main.Dir1->Path()));
        QVERIFY(!main.Dir1->findItems(QStringLiteral("rome"), Qt::MatchExactly).isEmpty());
    }

    void driveNotReadyFallsBackToTheRoot()
    {
        QTemporaryDir stick;
        platform::setVolumesOverride(QList<platform::Volume>{{"/", "system", true}, {stick.path(), "USB", false}});
        ProgramHarness harness;
        const QString folder = harness.startIn({"a.jpg"});
        frmMain &main = harness.main();
        QCOMPARE(main.Drive1->Drive(), QStringLiteral("/"));

        main.Drive1->setCurrentIndex(main.Drive1->findData(stick.path()));

        QCOMPARE(harness.messages.shown, (QList<platform::MessageRequest>{
                                             {platform::applicationTitle(), "Drive not ready", MessageIcon::Critical}}));
        QCOMPARE(main.Drive1->Drive(), QStringLiteral("/"));
        // The root volume opens the folder last shown on it.
        QCOMPARE(main.Dir1->Path(), folder);
        QCOMPARE(harness.listedFiles(), QStringList{"a.jpg"});
        platform::setVolumesOverride(std::nullopt);
    }

    void reselectsAfterFilesLeft_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("move, middle") << false << 4 << 1 << true << QStringList{"c.jpg"};
        QTest::newRow("move, last") << false << 4 << 3 << true << QStringList{"a.jpg"};
        QTest::newRow("move, only") << false << 1 << 0 << true << QStringList{};
        QTest::newRow("copy, middle") << true << 4 << 1 << false << QStringList{"c.jpg"};
        QTest::newRow("copy, last") << true << 4 << 3 << false << QStringList{"d.jpg"};
    }

    void reselectsAfterFilesLeft()
    {
        QFETCH(bool, copy);
        QFETCH(int, files);
        QFETCH(int, current);
        QFETCH(bool, removed);
        QFETCH(QStringList, selected);
        ProgramHarness harness;
        const QString folder = harness.startIn(QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}.mid(0, files));
        frmMain &main = harness.main();
        settings::Options options = main.options();
        options.moveDefault = !copy;
        main.setOptions(options);
        if (current > 0)
            main.File1->setSelected(0, true); // another selected file does not count
        main.File1->setSelected(current, true);
        if (removed)
            QVERIFY(QFile::remove(folder + "/" + harness.listedFiles().at(current)));
        main.RefreshAndReselect();

        QCOMPARE(harness.selectedFiles(), selected);
        QCOMPARE(main.File1->FileName(), selected.value(0));
        QVERIFY(harness.messages.shown.isEmpty());
        QCOMPARE(main.btnDelete->isEnabled(), !selected.isEmpty());
        QCOMPARE(main.statusPanel1->text(), selected.isEmpty() ? QStringLiteral("<empty>")
                                                               : QStringLiteral("%1 file(s) - %2/")
                                                                     .arg(files - int(removed))
                                                                     .arg(folder));
    }

    // Dragging over the list with the button held moves the current file: it is shown, so that
    // a delete acts on the file the user sees.
    void dragOverTheListShowsTheCurrentFile()
    {
        ProgramHarness harness;
        const QString folder = harness.startIn({"a.jpg", "b.jpg", "c.jpg"});
        browse::FileListBox *list = harness.main().File1;
        QWidget *viewport = list->viewport();
        const QPoint first = list->visualRect(list->model()->index(0, 0)).center();
        const QPoint third = list->visualRect(list->model()->index(2, 0)).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, first);
        QMouseEvent drag(QEvent::MouseMove, third, viewport->mapToGlobal(third), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drag);
        QCOMPARE(list->FileName(), QStringLiteral("c.jpg"));
        QCOMPARE(harness.main().activeFilePath(), folder + "/c.jpg");
    }

    void vanishedFolderIsReported()
    {
        ProgramHarness harness;
        const QString folder = harness.startIn({"a.jpg", "b.jpg"});
        harness.main().File1->setSelected(1, true);
        QVERIFY(QDir(folder).removeRecursively());
        harness.main().RefreshAndReselect();

        QCOMPARE(harness.messages.shown, (QList<platform::MessageRequest>{
                                             {"Error!", "The path is missing", MessageIcon::Critical}}));
    }
};

SHELFMASTER_TEST_MAIN(TestBrowsing)
#include "tst_browsing.moc"

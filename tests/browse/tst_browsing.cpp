#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "browse/FileListBox.h"
#include "platform/Volumes.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QRadioButton>

using platform::MessageIcon;

using testsupport::createFiles;

namespace {

QStringList listed(const browse::FileListBox &list)
{
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i)
        names << list.List(i);
    return names;
}

QStringList selectedNames(const browse::FileListBox &list)
{
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i) {
        if (list.Selected(i))
            names << list.List(i);
    }
    return names;
}

QString panel1(frmMain &main)
{
    return main.statusPanel1->text();
}

} // namespace

class TestBrowsing : public QObject {
    Q_OBJECT

private slots:
    void startsInTheCurrentFolder()
    {
        QTemporaryDir folder;
        createFiles(folder.path(), {"b.JPG", "a.jpg", "C.avi", "notes.txt", ".hidden.jpg"});
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub.jpg")));
        ProgramHarness harness;
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();

        QCOMPARE(main.Dir1->Path(), folder.path());
        QCOMPARE(listed(*main.File1), (QStringList{"a.jpg", "b.JPG", "C.avi"}));
        QCOMPARE(main.File1->ListIndex(), -1);
        QCOMPARE(main.File1->FileName(), QString());
        QCOMPARE(panel1(main), QStringLiteral("3 file(s) - %1/").arg(folder.path()));
        QCOMPARE(main.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(main.File1->uniformItemSizes());
    }

    void emptyFolderDisablesDelete()
    {
        QTemporaryDir folder;
        createFiles(folder.path(), {"readme.txt"});
        ProgramHarness harness;
        harness.setStartFolder(folder.path());
        harness.start();
        QCOMPARE(panel1(harness.main()), QStringLiteral("<empty>"));
        QVERIFY(!harness.main().btnDelete->isEnabled());
    }

    void activatingAFolderOpensIt()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("trips/rome")));
        createFiles(folder.filePath(QStringLiteral("trips")), {"x.gif"});
        ProgramHarness harness;
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();

        const QList<QListWidgetItem *> trips =
            main.Dir1->findItems(QStringLiteral("trips"), Qt::MatchExactly);
        QCOMPARE(trips.size(), 1);
        emit main.Dir1->itemActivated(trips.first());
        QCOMPARE(main.Dir1->Path(), folder.filePath(QStringLiteral("trips")));
        QCOMPARE(listed(*main.File1), QStringList{"x.gif"});
        QCOMPARE(panel1(main), QStringLiteral("1 file(s) - %1/").arg(main.Dir1->Path()));
        QVERIFY(!main.Dir1->findItems(QStringLiteral("rome"), Qt::MatchExactly).isEmpty());
    }

    void driveNotReadyFallsBackToTheRoot()
    {
        QTemporaryDir folder;
        createFiles(folder.path(), {"a.jpg"});
        const QString stick = folder.filePath(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(stick));
        platform::setVolumesOverride(QList<platform::Volume>{{"/", "system", true}, {stick, "USB", false}});
        ProgramHarness harness;
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();
        QCOMPARE(main.Drive1->Drive(), QStringLiteral("/"));
        QCOMPARE(main.Drive1->count(), 2);

        main.Drive1->setCurrentIndex(main.Drive1->findData(stick));

        QCOMPARE(harness.messages.texts(), QStringList{"Drive not ready"});
        QCOMPARE(harness.messages.shown.first().icon, MessageIcon::Critical);
        QCOMPARE(main.Drive1->Drive(), QStringLiteral("/"));
        // The root volume opens the folder last shown on it.
        QCOMPARE(main.Dir1->Path(), folder.path());
        QCOMPARE(listed(*main.File1), QStringList{"a.jpg"});
        platform::setVolumesOverride(std::nullopt);
    }

    void reselectsAfterFilesLeft_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("selected");
        const QStringList abcd{"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
        QTest::newRow("move, middle") << false << abcd << 1 << QStringList{"b.jpg"} << QStringList{"c.jpg"};
        QTest::newRow("move, last") << false << abcd << 3 << QStringList{"d.jpg"} << QStringList{"a.jpg"};
        QTest::newRow("move, only") << false << QStringList{"a.jpg"} << 0 << QStringList{"a.jpg"}
                                    << QStringList{};
        QTest::newRow("copy, middle") << true << abcd << 1 << QStringList{} << QStringList{"c.jpg"};
        QTest::newRow("copy, last") << true << abcd << 3 << QStringList{} << QStringList{"d.jpg"};
    }

    void reselectsAfterFilesLeft()
    {
        QFETCH(bool, copy);
        QFETCH(QStringList, files);
        QFETCH(int, current);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, selected);
        QTemporaryDir folder;
        createFiles(folder.path(), files);
        ProgramHarness harness;
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();
        if (copy)
            main.settings().optCopyDefault->setChecked(true);

        if (current > 0)
            main.File1->setSelected(0, true); // another selected file does not count
        main.File1->setSelected(current, true);
        for (const QString &name : removed)
            QVERIFY(QFile::remove(folder.filePath(name)));
        main.RefreshAndReselect();

        QCOMPARE(main.iActiveFile, current);
        QCOMPARE(selectedNames(*main.File1), selected);
        QCOMPARE(main.File1->FileName(), selected.value(0));
        QVERIFY(!main.bInAction);
        QVERIFY(harness.messages.shown.isEmpty());
        QCOMPARE(main.btnDelete->isEnabled(), !selected.isEmpty());
        QCOMPARE(panel1(main), selected.isEmpty()
                                   ? QStringLiteral("<empty>")
                                   : QStringLiteral("%1 file(s) - %2/")
                                         .arg(files.size() - removed.size())
                                         .arg(folder.path()));
    }

    void vanishedFolderIsReported()
    {
        QTemporaryDir parent;
        const QString folder = parent.filePath(QStringLiteral("pics"));
        QVERIFY(QDir().mkpath(folder));
        createFiles(folder, {"a.jpg", "b.jpg"});
        ProgramHarness harness;
        harness.setStartFolder(folder);
        harness.start();
        frmMain &main = harness.main();
        main.File1->setSelected(1, true);

        QVERIFY(QDir(folder).removeRecursively());
        main.RefreshAndReselect();

        QCOMPARE(harness.messages.shown.size(), 1);
        QCOMPARE(harness.messages.shown.first(),
                 (platform::MessageRequest{"Error!", "The path is missing", MessageIcon::Critical}));
        QVERIFY(!main.bInAction);
    }

    void clickingAFileEnablesDelete()
    {
        QTemporaryDir folder;
        createFiles(folder.path(), {"a.jpg", "b.jpg"});
        ProgramHarness harness;
        harness.setStartFolder(folder.path());
        harness.start();
        frmMain &main = harness.main();
        main.btnDelete->setEnabled(false);

        const QRect second = main.File1->visualRect(main.File1->model()->index(1, 0));
        QTest::mouseClick(main.File1->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(main.File1->ListIndex(), 1);
        QVERIFY(main.btnDelete->isEnabled());

        // Selections made by code while bInAction is set leave the preview state alone.
        main.btnDelete->setEnabled(false);
        main.bInAction = true;
        main.File1->setSelected(0, true);
        main.bInAction = false;
        QVERIFY(!main.btnDelete->isEnabled());
    }
};

SHELFMASTER_TEST_MAIN(TestBrowsing)
#include "tst_browsing.moc"

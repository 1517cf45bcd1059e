#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "viewers/frmImage.h"

#include <QAction>
#include <QDir>
#include <QLabel>

using testsupport::folderEntries;

class TestDelete : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_data; // the trash lives under it
    QString trashFiles() const { return m_data.filePath(QStringLiteral("share/Trash/files")); }

    static void setOptions(frmMain &main, bool trash, bool prompt)
    {
        settings::Options options = main.options();
        options.deleteRecycle = trash;
        options.promptDelete = prompt;
        main.setOptions(options);
    }

private slots:
    void initTestCase()
    {
        // The trash follows XDG_DATA_HOME, which points into a temporary folder here. The folder
        // does not exist yet: it must be made, not a trash in the current folder.
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.filePath(QStringLiteral("share"))));
    }

    void cleanup() { QDir(m_data.filePath(QStringLiteral("share"))).removeRecursively(); }

    void deletesTheCurrentFile_data()
    {
        QTest::addColumn<bool>("trash");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<QString>("question");
        QTest::newRow("to the trash, no question") << true << false << "";
        QTest::newRow("to the trash, asked") << true << true << "Move %1 to the trash?";
        QTest::newRow("for good, no question") << false << false << "";
        QTest::newRow("for good, asked") << false << true << "Delete %1 permanently?";
    }

    void deletesTheCurrentFile()
    {
        QFETCH(bool, trash);
        QFETCH(bool, prompt);
        QFETCH(QString, question);
        ProgramHarness harness;
        const QString folder = harness.startIn({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        frmMain &main = harness.main();
        setOptions(main, trash, prompt);
        main.File1->setSelected(0, true);
        main.File1->setSelected(1, true); // only the current one goes
        main.mnuDelete->trigger();

        QCOMPARE(harness.messages.texts(), question.isEmpty() ? QStringList() : QStringList{question.arg(folder + "/b.jpg")});
        QCOMPARE(harness.listedFiles(), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
        QCOMPARE(main.statusPanel1->text(), QStringLiteral("3 file(s) - %1/").arg(folder));
        QCOMPARE(main.activeFilePath(), folder + "/c.jpg");
        QCOMPARE(folderEntries(trashFiles()), trash ? QStringList{"b.jpg"} : QStringList());
        QVERIFY(!QFileInfo::exists(QDir::current().filePath(QStringLiteral("files"))));
    }

    void lastAndOnlyFile_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("selected");
        QTest::newRow("the last: the new last is chosen") << QStringList{"a.jpg", "b.jpg", "c.jpg"} << "b.jpg";
        QTest::newRow("the only one") << QStringList{"a.jpg"} << "";
    }

    void lastAndOnlyFile()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, selected);
        ProgramHarness harness;
        harness.startIn(files);
        frmMain &main = harness.main();
        setOptions(main, false, false);
        main.File1->setSelected(int(files.size()) - 1, true);
        main.btnDelete->trigger();

        QCOMPARE(main.File1->FileName(), selected);
        if (selected.isEmpty()) {
            QCOMPARE(main.statusPanel1->text(), QStringLiteral("<empty>"));
            QVERIFY(!main.btnDelete->isEnabled());
            QVERIFY(harness.program().viewer().Image1->pixmap().isNull());
        }
    }

    void declinedOrFailedKeepsTheFile_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("declined") << false;
        QTest::newRow("cannot be deleted") << true;
    }

    void declinedOrFailedKeepsTheFile()
    {
        QFETCH(bool, readOnly);
        // A folder whose files cannot be deleted: a read-only file system for root, whom
        // permissions do not stop, else a folder without write permission.
        testsupport::ScratchVolume volume("1m");
        ProgramHarness harness;
        const QStringList files{"a.jpg", "b.jpg", "c.jpg"};
        QString folder;
        if (volume.mounted()) {
            folder = volume.path();
            testsupport::createFiles(folder, files);
            harness.setStartFolder(folder);
            harness.start();
        } else {
            folder = harness.startIn(files);
        }
        if (readOnly && volume.mounted())
            QVERIFY(volume.makeReadOnly());
        else if (readOnly)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        setOptions(harness.main(), false, !readOnly);
        harness.messages.answerNext(platform::MessageAnswer::No);
        harness.main().File1->setSelected(1, true);
        harness.main().DeleteCurrentFile();

        QCOMPARE(harness.messages.shown.last(),
                 (platform::MessageRequest{platform::applicationTitle(), "Error occurred!",
                                           platform::MessageIcon::Critical}));
        QCOMPARE(harness.listedFiles().size(), 3);
        QCOMPARE(harness.main().activeFilePath(), folder + "/b.jpg");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void freshListDoesNothing()
    {
        ProgramHarness harness;
        harness.startIn({"a.jpg", "b.jpg"});
        frmMain &main = harness.main();
        main.DeleteCurrentFile();
        // Item 0 current but not selected, as in a list the user has not touched yet.
        main.File1->setSelected(0, true);
        main.File1->setSelected(0, false);
        main.DeleteCurrentFile();
        QCOMPARE(harness.listedFiles().size(), 2);
        QVERIFY(harness.messages.shown.isEmpty());
    }
};

SHELFMASTER_TEST_MAIN(TestDelete)
#include "tst_delete.moc"

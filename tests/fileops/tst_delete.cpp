#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "settings/frmSettings.h"
#include "viewers/frmImage.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>

using platform::MessageAnswer;
using testsupport::createFiles;
using testsupport::folderEntries;

namespace {

QStringList listed(const browse::FileListBox &list)
{
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i)
        names << list.List(i);
    return names;
}

} // namespace

class TestDelete : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_data; // the trash lives under it
    QString trashFiles() const { return m_data.filePath(QStringLiteral("share/Trash/files")); }

    struct Run {
        std::unique_ptr<QTemporaryDir> home = std::make_unique<QTemporaryDir>();
        QString folder;
        std::unique_ptr<ProgramHarness> harness = std::make_unique<ProgramHarness>();
        frmMain &main() { return harness->main(); }
        QString path(const QString &name) const { return QDir(folder).filePath(name); }
    };

    Run start(const QStringList &files, bool trash, bool prompt) { return start(QString(), files, trash, prompt); }

    // Starts the program in folder (a temporary one when empty) holding files.
    Run start(const QString &folder, const QStringList &files, bool trash, bool prompt)
    {
        Run run;
        run.folder = folder.isEmpty() ? run.home->path() : folder;
        createFiles(run.folder, files);
        run.harness->setStartFolder(run.folder);
        run.harness->start();
        run.main().settings().chkDeleteRecycle->setChecked(trash);
        run.main().settings().chkPromptDelete->setChecked(prompt);
        return run;
    }

private slots:
    void initTestCase()
    {
        // The trash follows XDG_DATA_HOME, which points into a temporary folder here.
        QStandardPaths::setTestModeEnabled(false);
    }

    void init()
    {
        // A data folder that does not exist yet: it must be made, not a trash in the current folder.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.filePath(QStringLiteral("share"))));
        QDir(m_data.path()).removeRecursively();
        QDir().mkpath(m_data.path());
    }

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
        Run run = start({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}, trash, prompt);
        run.main().File1->setSelected(1, true);
        run.main().mnuDelete->trigger();

        const QString deleted = run.path(QStringLiteral("b.jpg"));
        QCOMPARE(run.harness->messages.texts(),
                 question.isEmpty() ? QStringList() : QStringList{question.arg(deleted)});
        QCOMPARE(listed(*run.main().File1), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
        QCOMPARE(run.main().statusPanel1->text(), QStringLiteral("3 file(s) - %1/").arg(run.folder));
        QCOMPARE(run.main().File1->FileName(), QStringLiteral("c.jpg"));
        QCOMPARE(run.main().activeFilePath(), run.path(QStringLiteral("c.jpg")));
        QCOMPARE(folderEntries(trashFiles()), trash ? QStringList{"b.jpg"} : QStringList());
        QCOMPARE(folderEntries(run.folder), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
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
        Run run = start(files, false, false);
        run.main().File1->setSelected(files.size() - 1, true);
        run.main().btnDelete->trigger();

        QCOMPARE(run.main().File1->FileName(), selected);
        if (selected.isEmpty()) {
            QCOMPARE(run.main().statusPanel1->text(), QStringLiteral("<empty>"));
            QVERIFY(!run.main().btnDelete->isEnabled());
            QVERIFY(run.harness->program().viewer().Image1->pixmap().isNull());
            QCOMPARE(run.main().File1->ListIndex(), -1);
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
        // A folder whose files cannot be deleted: on a read-only file system for root, whom
        // permissions do not stop, else without write permission.
        testsupport::ScratchVolume volume("1m");
        Run run = volume.mounted() ? start(volume.path(), {"a.jpg", "b.jpg", "c.jpg"}, false, !readOnly)
                                   : start({"a.jpg", "b.jpg", "c.jpg"}, false, !readOnly);
        if (readOnly && volume.mounted())
            QVERIFY(volume.makeReadOnly());
        else if (readOnly)
            QFile::setPermissions(run.folder, QFile::ReadOwner | QFile::ExeOwner);
        run.harness->messages.answerNext(MessageAnswer::No);
        run.main().File1->setSelected(1, true);
        run.main().DeleteCurrentFile();

        QCOMPARE(run.harness->messages.texts().last(), QStringLiteral("Error occurred!"));
        QCOMPARE(run.harness->messages.shown.last().icon, platform::MessageIcon::Critical);
        QCOMPARE(listed(*run.main().File1).size(), 3);
        QCOMPARE(run.main().File1->FileName(), QStringLiteral("b.jpg"));
        QCOMPARE(run.main().activeFilePath(), run.path(QStringLiteral("b.jpg")));
        if (!volume.mounted())
            QFile::setPermissions(run.folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void onlyTheCurrentOfSeveralSelected()
    {
        Run run = start({"a.jpg", "b.jpg", "c.jpg"}, false, false);
        run.main().File1->setSelected(0, true);
        run.main().File1->setSelected(2, true);
        run.main().File1->setSelected(1, true);
        run.main().DeleteCurrentFile();
        QCOMPARE(listed(*run.main().File1), (QStringList{"a.jpg", "c.jpg"}));
    }

    void freshListDoesNothing()
    {
        Run run = start({"a.jpg", "b.jpg"}, false, false);
        run.main().DeleteCurrentFile();
        // Item 0 current but not selected, as a list the user has not touched yet.
        run.main().File1->setSelected(0, true);
        run.main().File1->setSelected(0, false);
        run.main().DeleteCurrentFile();
        QCOMPARE(listed(*run.main().File1).size(), 2);
        QVERIFY(run.harness->messages.shown.isEmpty());
    }

    void trashNeedsNoCurrentFolderTrash()
    {
        Run run = start({"a.jpg"}, true, false);
        run.main().File1->setSelected(0, true);
        run.main().DeleteCurrentFile();
        QCOMPARE(folderEntries(trashFiles()), QStringList{"a.jpg"});
        QCOMPARE(folderEntries(run.folder), QStringList());
        QVERIFY(!QFileInfo::exists(QDir::current().filePath(QStringLiteral("files"))));
    }
};

SHELFMASTER_TEST_MAIN(TestDelete)
#include "tst_delete.moc"

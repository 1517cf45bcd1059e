#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "fileops/UndoJournal.h"
#include "fileops/frmRename.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <sys/stat.h>

using testsupport::folderEntries;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

enum class Command { MoveSame, MoveOther, Copy, Trash, Rename };

struct Fixture : SettingsFixture {
    explicit Fixture(const QString &otherFileSystem = {})
        : SettingsFixture("GROUP=Animals\r\n",
                          areaRecord("Cats", "Animals", "$ROOT/areas/cats") +
                              areaRecord("Far", "Animals", QFile::encodeName(otherFileSystem)),
                          {"areas/cats"}, {"a.jpg", "b.jpg", "c.jpg"})
    {
        settings().optMoveDefault->setChecked(true);
        settings().chkPromptMove->setChecked(false);
        settings().chkPromptCopy->setChecked(false);
        settings().chkPromptDelete->setChecked(false);
        main().cmbCatalog->setCurrentIndex(0);
    }

    QAction *undo() { return main().mnuUndo; }
    QAction *redo() { return main().mnuRedo; }

    void select(const QStringList &names)
    {
        harness.clickFile(names.first());
        for (const QString &name : names)
            main().File1->setSelected(int(harness.listedFiles().indexOf(name)), true);
    }

    void sortInto(const QString &area)
    {
        const QList<QListWidgetItem *> items = main().lstArea->findItems(area, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        const QRect rect = main().lstArea->visualItemRect(items.first());
        QTest::mouseClick(main().lstArea->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(main().lstArea->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void renameCurrentTo(const QString &name)
    {
        main().mnuRename->trigger();
        auto *dialog = QApplication::topLevelWidgets().isEmpty() ? nullptr : [&]() -> frmRename * {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *rename = qobject_cast<frmRename *>(widget); rename && rename->isVisible())
                    return rename;
            }
            return nullptr;
        }();
        QVERIFY(dialog);
        dialog->txtNewFilename->setText(name);
        QTest::mouseClick(dialog->cmdRename, Qt::LeftButton);
    }
};

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

    QTemporaryDir m_data; // the trash
    testsupport::ScratchVolume m_volume{"16m"};
    QString m_other;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        struct stat tmp {};
        struct stat shm {};
        if (m_volume.mounted())
            m_other = m_volume.path() + "/far";
        else if (::stat("/tmp", &tmp) == 0 && ::stat("/dev/shm", &shm) == 0 && tmp.st_dev != shm.st_dev)
            m_other = QStringLiteral("/dev/shm/shelfmaster-undo-") + QString::number(::getpid());
    }

    void init()
    {
        if (!m_other.isEmpty()) {
            QDir(m_other).removeRecursively();
            QDir().mkpath(m_other);
        }
    }

    void cleanupTestCase()
    {
        if (m_other.startsWith("/dev/shm/"))
            QDir(m_other).removeRecursively();
    }

    void menuSaysWhatItWouldDo()
    {
        Fixture f;
        QList<QString> titles;
        for (QAction *action : f.main().menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, (QList<QString>{"&File", "&Edit", "&Settings", "&Help"}));
        QCOMPARE(f.undo()->text(), QStringLiteral("Undo"));
        QVERIFY(!f.undo()->isEnabled());
        QCOMPARE(f.redo()->text(), QStringLiteral("Redo"));
        QVERIFY(!f.redo()->isEnabled());
        QCOMPARE(f.undo()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(f.redo()->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}));

        f.select({"a.jpg", "b.jpg"});
        f.sortInto("Cats");
        QCOMPARE(f.undo()->text(), QStringLiteral("Undo move of 2 files to Cats"));
        f.undo()->trigger();
        QCOMPARE(f.undo()->text(), QStringLiteral("Undo"));
        QVERIFY(!f.undo()->isEnabled());
        QCOMPARE(f.redo()->text(), QStringLiteral("Redo move of 2 files to Cats"));
    }

    void undoAndRedo_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("undoText");
        QTest::newRow("move") << Command::MoveSame << "Undo move of b.jpg to Cats";
        QTest::newRow("move to another file system") << Command::MoveOther << "Undo move of b.jpg to Far";
        QTest::newRow("copy") << Command::Copy << "Undo copy of b.jpg to Cats";
        QTest::newRow("delete to the trash") << Command::Trash << "Undo delete of b.jpg";
        QTest::newRow("rename") << Command::Rename << "Undo rename of b.jpg";
    }

    void undoAndRedo()
    {
        QFETCH(Command, command);
        QFETCH(QString, undoText);
        if (command == Command::MoveOther && m_other.isEmpty())
            SHELFMASTER_SKIP("no second file system here");
        Fixture f(m_other);
        const QByteArray original = readBytes(f.folder("b.jpg"));
        f.select({"b.jpg"});
        QString away;
        switch (command) {
        case Command::MoveSame:
            f.sortInto("Cats");
            away = f.folder("areas/cats/b.jpg");
            break;
        case Command::MoveOther:
            f.sortInto("Far");
            away = m_other + "/b.jpg";
            break;
        case Command::Copy:
            f.settings().optCopyDefault->setChecked(true);
            f.sortInto("Cats");
            away = f.folder("areas/cats/b.jpg");
            break;
        case Command::Trash:
            f.main().mnuDelete->trigger();
            away = m_data.filePath("Trash/files/b.jpg");
            break;
        case Command::Rename:
            f.renameCurrentTo("renamed.jpg");
            away = f.folder("renamed.jpg");
            break;
        }
        QVERIFY(f.harness.messages.shown.isEmpty());
        QVERIFY(QFileInfo::exists(away));
        QCOMPARE(f.undo()->text(), undoText);

        f.harness.clickFile("a.jpg");
        f.undo()->trigger();
        QVERIFY(f.harness.messages.shown.isEmpty());
        QCOMPARE(QFileInfo::exists(away), false);
        QCOMPARE(readBytes(f.folder("b.jpg")), original);
        QCOMPARE(f.main().File1->FileName(), QStringLiteral("b.jpg")); // the restored file is current
        QCOMPARE(f.main().activeFilePath(), f.folder("b.jpg"));
        if (command == Command::Trash)
            QCOMPARE(folderEntries(m_data.filePath("Trash/info")), QStringList());
        QCOMPARE(f.redo()->text(), QString(undoText).replace("Undo", "Redo"));

        f.redo()->trigger();
        QVERIFY(f.harness.messages.shown.isEmpty());
        QVERIFY(QFileInfo::exists(away));
        QCOMPARE(QFileInfo::exists(f.folder("b.jpg")), command == Command::Copy);
        QCOMPARE(f.undo()->text(), undoText);
        QVERIFY(!f.redo()->isEnabled());
    }

    // Undo never overwrites: a file whose old place was taken, or that changed, stays where it is.
    void refusals_data()
    {
        QTest::addColumn<bool>("takePlace");
        QTest::addColumn<QString>("reason");
        QTest::newRow("old place taken") << true << "b.jpg: its old place is taken";
        QTest::newRow("changed since") << false << "b.jpg: it was changed or removed since";
    }

    void refusals()
    {
        QFETCH(bool, takePlace);
        QFETCH(QString, reason);
        Fixture f;
        f.select({"a.jpg", "b.jpg", "c.jpg"});
        f.sortInto("Cats");
        if (takePlace)
            writeBytes(f.folder("b.jpg"), "another picture");
        else
            writeBytes(f.folder("areas/cats/b.jpg"), "edited");
        const QByteArray sorted = readBytes(f.folder("areas/cats/b.jpg"));

        f.undo()->trigger();
        QCOMPARE(f.harness.messages.texts(), QStringList{"Undo could not put these files back:\n" + reason});
        QCOMPARE(folderEntries(f.folder("areas/cats")), QStringList{"b.jpg"});
        QCOMPARE(readBytes(f.folder("areas/cats/b.jpg")), sorted);
        if (takePlace)
            QCOMPARE(readBytes(f.folder("b.jpg")), QByteArray("another picture"));
        QVERIFY(QFileInfo::exists(f.folder("a.jpg")) && QFileInfo::exists(f.folder("c.jpg")));
        // The step stays: the one file left can be put back once its place is free.
        QCOMPARE(f.undo()->text(), QStringLiteral("Undo move of 3 files to Cats"));
        if (takePlace) {
            QFile::remove(f.folder("b.jpg"));
            f.undo()->trigger();
            QCOMPARE(folderEntries(f.folder("areas/cats")), QStringList());
            QVERIFY(!f.undo()->isEnabled());
        }
    }

    void newCommandClearsRedo()
    {
        Fixture f;
        f.select({"a.jpg"});
        f.sortInto("Cats");
        f.undo()->trigger();
        QVERIFY(f.redo()->isEnabled());
        f.select({"c.jpg"});
        f.sortInto("Cats");
        QVERIFY(!f.redo()->isEnabled());
        QCOMPARE(f.redo()->text(), QStringLiteral("Redo"));
        QCOMPARE(f.undo()->text(), QStringLiteral("Undo move of c.jpg to Cats"));
    }

    void undoAfterARestart()
    {
        Fixture f;
        f.select({"a.jpg"});
        f.sortInto("Cats");
        f.harness.start(); // the program ends and starts again
        QVERIFY(f.harness.messages.shown.isEmpty());
        QCOMPARE(f.undo()->text(), QStringLiteral("Undo move of a.jpg to Cats"));
        f.undo()->trigger();
        QVERIFY(QFileInfo::exists(f.folder("a.jpg")));
        QCOMPARE(folderEntries(f.folder("areas/cats")), QStringList());
    }

    void damagedJournalIsSetAside()
    {
        Fixture f;
        f.harness.writeProgramFile("SHELFMASTER.UNDO", "SHELFMASTER-UNDO 1\nstep x\n");
        f.harness.messages.shown.clear();
        f.harness.start();
        QCOMPARE(f.harness.messages.shown.size(), 1);
        QVERIFY(f.harness.messages.texts().first().startsWith("The undo journal could not be read."));
        QVERIFY(QFileInfo::exists(f.harness.programDir() + "/SHELFMASTER.UNDO.damaged"));
        QVERIFY(!f.undo()->isEnabled());
        f.main().cmbCatalog->setCurrentIndex(0);
        f.select({"a.jpg"});
        f.sortInto("Cats");
        QVERIFY(f.undo()->isEnabled());
    }

    // A journal stopped before its first line was whole is an empty journal, not a damaged one.
    void journalCutShortAtItsStart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("part of the header") << QByteArray("SHELFMAS");
    }

    void journalCutShortAtItsStart()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("SHELFMASTER.UNDO");
        writeBytes(path, bytes);
        writeBytes(dir.filePath("a.jpg"), "x");
        fileops::UndoJournal journal(path);
        QCOMPARE(journal.load(), std::nullopt);
        QVERIFY(!journal.rename(dir.filePath("a.jpg"), dir.filePath("b.jpg")));
        fileops::UndoJournal again(path);
        QCOMPARE(again.load(), std::nullopt);
        QCOMPARE(again.undoText(), QStringLiteral("Undo rename of a.jpg"));
    }

    void keepsTheLastThousandSteps()
    {
        QTemporaryDir dir;
        const QString journalPath = dir.filePath("SHELFMASTER.UNDO");
        writeBytes(dir.filePath("a.jpg"), "x");
        fileops::UndoJournal journal(journalPath);
        QVERIFY(!journal.load());
        const int steps = fileops::UndoJournal::kMaxSteps + 150;
        for (int i = 0; i < steps; ++i) {
            const bool even = i % 2 == 0;
            QVERIFY(!journal.rename(dir.filePath(even ? "a.jpg" : "b.jpg"), dir.filePath(even ? "b.jpg" : "a.jpg")));
        }
        QCOMPARE(journal.doneSteps().size(), fileops::UndoJournal::kMaxSteps);
        const int stepLines = int(readBytes(journalPath).count("\nstep "));
        QVERIFY2(stepLines <= fileops::UndoJournal::kMaxSteps * 11 / 10, qPrintable(QString::number(stepLines)));

        fileops::UndoJournal again(journalPath);
        QVERIFY(!again.load());
        QCOMPARE(again.doneSteps().size(), fileops::UndoJournal::kMaxSteps);
        QCOMPARE(again.doneSteps().last().id, journal.doneSteps().last().id);
        again.undo();
        // The last rename was b.jpg to a.jpg.
        QCOMPARE(folderEntries(dir.path()), (QStringList{"SHELFMASTER.UNDO", "b.jpg"}));
    }
};

SHELFMASTER_TEST_MAIN(TestUndo)
#include "tst_undo.moc"

#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "fileops/UndoJournal.h"
#include "fileops/frmRename.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        settings::Options options = main().options();
        options.promptMove = options.promptCopy = options.promptDelete = 0;
        main().setOptions(options);
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
        case Command::Copy: {
            settings::Options copy = f.main().options();
            copy.moveDefault = false;
            f.main().setOptions(copy);
            f.sortInto("Cats");
            away = f.folder("areas/cats/b.jpg");
            break;
        }
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

    // Undo and redo act only on the very files the command left: a camera that reuses a name, an
    // edit or a removal by another program, each with the size kept, makes them refuse.
    void journalRefuses_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("interference");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QString>("refusal");
        const QString changed = "a.jpg: it was changed or removed since";
        QTest::newRow("copy, original's name reused") << true << "replace source" << false
                                                      << "a.jpg: its original was changed or replaced since";
        QTest::newRow("copy, original edited") << true << "edit source" << false
                                               << "a.jpg: its original was changed or replaced since";
        QTest::newRow("copy, original rewritten keeping its time") << true << "rewrite source" << false
                                                                   << "a.jpg: its original was changed or replaced since";
        QTest::newRow("copy, original gone") << true << "remove source" << false << "a.jpg: its original is gone";
        QTest::newRow("copy, original replaced by the same bytes") << true << "clone source" << false
                                                                   << "a.jpg: its original was changed or replaced since";
        QTest::newRow("copy, copy replaced") << true << "replace target" << false << changed;
        QTest::newRow("move, moved file replaced") << false << "replace target" << false << changed;
        QTest::newRow("redo move, file replaced") << false << "replace source" << true << changed;
        QTest::newRow("redo copy, file edited") << true << "edit source" << true << changed;
    }

    void journalRefuses()
    {
        QFETCH(bool, copy);
        QFETCH(QString, interference);
        QFETCH(bool, redo);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("area"));
        const QString source = dir.filePath("a.jpg");
        const QString target = dir.filePath("area/a.jpg");
        writeBytes(source, "original picture");
        fileops::UndoJournal journal(dir.filePath("SHELFMASTER.UNDO"));
        QVERIFY(!journal.load());
        journal.beginStep(copy ? fileops::StepKind::Copy : fileops::StepKind::Move, "Area");
        QVERIFY(!journal.transfer(source, target, copy ? fileops::Transfer::Copy : fileops::Transfer::Move));
        journal.endStep();
        if (redo)
            QVERIFY(journal.undo().refusals.isEmpty());
        const QString file = interference.endsWith("source") ? source : target;
        if (interference.startsWith("replace") || interference.startsWith("clone")) {
            // As large as the first, or the same bytes in another file.
            writeBytes(file + ".new", interference.startsWith("clone") ? readBytes(file) : "another picture!");
            QVERIFY(QFile::remove(file) && QFile::rename(file + ".new", file));
        } else if (!interference.startsWith("remove")) {
            struct stat info {};
            const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY);
            QVERIFY(fd >= 0 && ::fstat(fd, &info) == 0 && ::pwrite(fd, "O", 1, 0) == 1);
            const timespec times[2] = {info.st_atim, info.st_mtim};
            QVERIFY((!interference.startsWith("rewrite") || ::futimens(fd, times) == 0) && ::close(fd) == 0);
        } else {
            QVERIFY(QFile::remove(file));
        }
        const QStringList before = folderEntries(dir.path()) + folderEntries(dir.filePath("area"));
        const QByteArray sourceBytes = readBytes(source);
        const QByteArray targetBytes = readBytes(target);

        const fileops::UndoResult result = redo ? journal.redo() : journal.undo();
        QCOMPARE(result.refusals, QStringList{refusal});
        QCOMPARE(folderEntries(dir.path()) + folderEntries(dir.filePath("area")), before);
        QCOMPARE(readBytes(source), sourceBytes);
        QCOMPARE(readBytes(target), targetBytes);
    }

    // Comparing a large copy with its original takes a while: both are looked at again after it.
    void copyTouchedWhileComparedStays()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("area"));
        writeBytes(dir.filePath("a.jpg"), "original picture");
        fileops::UndoJournal journal(dir.filePath("SHELFMASTER.UNDO"));
        QVERIFY(!journal.load());
        journal.beginStep(fileops::StepKind::Copy, "Area");
        QVERIFY(!journal.transfer(dir.filePath("a.jpg"), dir.filePath("area/a.jpg"), fileops::Transfer::Copy));
        journal.endStep();
        const fileops::UndoResult result = journal.undo([&](const QString &, const fileops::TransferWork &work) {
            QFile copy(dir.filePath("area/a.jpg"));
            copy.open(QIODevice::ReadWrite);
            copy.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
            return work({});
        });
        QCOMPARE(result.refusals.size(), 1);
        QVERIFY(QFileInfo::exists(dir.filePath("area/a.jpg")));
    }

    // Redo is gone only once a new command changed something.
    void redoOutlivesACommandThatDidNothing_data()
    {
        QTest::addColumn<bool>("nameTaken");
        QTest::newRow("the new command fails") << true;
        QTest::newRow("the new command moves a file") << false;
    }

    void redoOutlivesACommandThatDidNothing()
    {
        QFETCH(bool, nameTaken);
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.jpg"), "a");
        writeBytes(dir.filePath("b.jpg"), "b");
        if (nameTaken)
            writeBytes(dir.filePath("c.jpg"), "c");
        const QString expected = nameTaken ? QStringLiteral("Redo rename of a.jpg") : QStringLiteral("Redo");
        {
            fileops::UndoJournal journal(dir.filePath("SHELFMASTER.UNDO"));
            QVERIFY(!journal.load());
            QVERIFY(!journal.rename(dir.filePath("a.jpg"), dir.filePath("x.jpg")));
            journal.undo();
            journal.beginStep(fileops::StepKind::Move, "Area");
            QCOMPARE(bool(journal.transfer(dir.filePath("b.jpg"), dir.filePath("c.jpg"), fileops::Transfer::Move)),
                     nameTaken);
            journal.endStep();
            QCOMPARE(journal.redoText(), expected);
        }
        fileops::UndoJournal again(dir.filePath("SHELFMASTER.UNDO"));
        QVERIFY(!again.load());
        QCOMPARE(again.redoText(), expected);
    }

    // A redo stopped half way by a refusal keeps what it put back in place when a new command
    // comes: that can still be undone.
    void halfRedoneStepOutlivesANewCommand()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("area"));
        for (const char *name : {"a.jpg", "b.jpg", "n.jpg"})
            writeBytes(dir.filePath(name), name);
        fileops::UndoJournal journal(dir.filePath("SHELFMASTER.UNDO"));
        QVERIFY(!journal.load());
        journal.beginStep(fileops::StepKind::Move, "Area");
        for (const char *name : {"a.jpg", "b.jpg"})
            QVERIFY(!journal.transfer(dir.filePath(name), dir.filePath("area/") + name, fileops::Transfer::Move));
        journal.endStep();
        QVERIFY(journal.undo().refusals.isEmpty());
        writeBytes(dir.filePath("b.new"), "b.jpg");
        QVERIFY(QFile::remove(dir.filePath("b.jpg")) && QFile::rename(dir.filePath("b.new"), dir.filePath("b.jpg")));
        QCOMPARE(journal.redo().refusals.size(), 1);
        QVERIFY(!journal.rename(dir.filePath("n.jpg"), dir.filePath("m.jpg")));
        QVERIFY(journal.undo().refusals.isEmpty());
        QCOMPARE(journal.undoText(), QStringLiteral("Undo move of 2 files to Area"));
        QVERIFY(journal.undo().restored == QStringList{dir.filePath("a.jpg")});
    }

    // Two programs on one journal would each take the other's work under way for a crash: the
    // second neither reads nor writes it.
    void journalInUseIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("SHELFMASTER.UNDO");
        writeBytes(dir.filePath("a.jpg"), "a");
        fileops::UndoJournal first(path);
        QVERIFY(!first.load());
        QVERIFY(!first.rename(dir.filePath("a.jpg"), dir.filePath("b.jpg")));
        const QByteArray bytes = readBytes(path);
        fileops::UndoJournal second(path);
        QCOMPARE(second.load(), std::nullopt);
        QVERIFY(second.writeFailure());
        QVERIFY(!second.canUndo());
        QVERIFY(!second.rename(dir.filePath("b.jpg"), dir.filePath("c.jpg")));
        QCOMPARE(readBytes(path), bytes);
    }

    // Whoever can write the journal could make the next start move or delete any file.
    void untrustedJournalIsSetAside_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("writable by others") << "chmod";
        QTest::newRow("owned by another user") << "chown";
        QTest::newRow("a link") << "link";
        QTest::newRow("a relative path") << "relative";
    }

    void untrustedJournalIsSetAside()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString path = dir.filePath("SHELFMASTER.UNDO");
        writeBytes(dir.filePath("a.jpg"), "a");
        {
            fileops::UndoJournal journal(path);
            QVERIFY(!journal.load());
            QVERIFY(!journal.rename(dir.filePath("a.jpg"), dir.filePath("b.jpg")));
        }
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 0777, 0600u); // it lists the user's paths
        const QByteArray bytes = QFile::encodeName(path);
        if (how == "chmod") {
            QVERIFY(::chmod(bytes.constData(), 0666) == 0);
        } else if (how == "chown") {
            if (::geteuid() != 0)
                SHELFMASTER_SKIP("only root can give a file away");
            QVERIFY(::chown(bytes.constData(), 65534, 65534) == 0);
        } else if (how == "link") {
            QVERIFY(QFile::rename(path, path + ".real") && QFile::link(path + ".real", path));
        } else {
            const QByteArray folder = QFile::encodeName(dir.path() + "/").toPercentEncoding({}, "-");
            writeBytes(path, readBytes(path).replace(folder, ""));
        }
        fileops::UndoJournal journal(path);
        QCOMPARE(journal.load(), std::optional(path + ".damaged"));
        QVERIFY(!journal.canUndo());
        QVERIFY(QFileInfo::exists(dir.filePath("b.jpg")));
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
        {
            fileops::UndoJournal journal(path);
            QCOMPARE(journal.load(), std::nullopt);
            QVERIFY(!journal.rename(dir.filePath("a.jpg"), dir.filePath("b.jpg")));
        }
        fileops::UndoJournal again(path);
        QCOMPARE(again.load(), std::nullopt);
        QCOMPARE(again.undoText(), QStringLiteral("Undo rename of a.jpg"));
    }

    void keepsTheLastThousandSteps()
    {
        QTemporaryDir dir;
        const QString journalPath = dir.filePath("SHELFMASTER.UNDO");
        writeBytes(dir.filePath("a.jpg"), "x");
        qint64 lastId = 0;
        {
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
            lastId = journal.doneSteps().last().id;
        }
        fileops::UndoJournal again(journalPath);
        QVERIFY(!again.load());
        QCOMPARE(again.doneSteps().size(), fileops::UndoJournal::kMaxSteps);
        QCOMPARE(again.doneSteps().last().id, lastId);
        again.undo();
        // The last rename was b.jpg to a.jpg.
        QCOMPARE(folderEntries(dir.path()), (QStringList{"SHELFMASTER.UNDO", "SHELFMASTER.UNDO.lock", "b.jpg"}));
    }
};

SHELFMASTER_TEST_MAIN(TestUndo)
#include "tst_undo.moc"

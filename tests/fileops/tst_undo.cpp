#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "fileops/frmRename.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// A command in the window on the files: sorting into an area, "copy" into Cats, "delete" or
// "rename"; where b.jpg goes, the menu's text for its undo, and whether the journal is damaged
// before the next start.
struct WindowCase { QStringList names; QString command, away, undoText; bool damaged = false; };
// A step on a.jpg, undone or redone after another program was at work on one of its two places.
// The interference names the place and, for a pair, the file (a.jpg unless named); the refusals.
struct Refusal { bool copy; QString interference; bool redo; QString refusal; bool pair = false; };
// A step taken back, then maybe redone half way, and a new command after it: n.jpg, or n.jpg and
// o.jpg as one unit, with the (last) name taken.
struct NewCommand { bool halfRedone, nameTaken; QString redoText; bool pair = false; };

// Sorts without asking, moving or copying, into the first group's areas.
void askNothing(SettingsFixture &f, bool move)
{
    settings::Options options = f.main().options();
    options.promptMove = options.promptCopy = options.promptDelete = 0;
    options.moveDefault = move;
    f.main().setOptions(options);
    f.main().cmbCatalog->setCurrentIndex(0);
}

// Selects the files and sorts them into the area, if there is one of that name.
void sort(SettingsFixture &f, const QStringList &names, const QString &area)
{
    f.harness.clickFile(names.first());
    for (const QString &name : names) f.main().File1->setSelected(int(f.harness.listedFiles().indexOf(name)), true);
    for (QListWidgetItem *item : f.main().lstArea->findItems(area, Qt::MatchExactly)) {
        QTest::mouseClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, f.main().lstArea->visualItemRect(item).center());
        QTest::mouseDClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, f.main().lstArea->visualItemRect(item).center());
    }
}

// A journal in dir over the files there, each holding its name, with a folder "area" beside them.
std::unique_ptr<fileops::UndoJournal> journalOver(const QTemporaryDir &dir, const QStringList &names = {})
{
    QDir().mkpath(dir.filePath("area"));
    for (const QString &name : names) writeBytes(dir.filePath(name), name.toUtf8());
    auto journal = std::make_unique<fileops::UndoJournal>(dir.filePath("SHELFMASTER.UNDO"));
    if (journal->load()) QTest::qFail("the journal was set aside", __FILE__, __LINE__);
    return journal;
}

// One step moving or copying the files into the area, each alone or all as one unit; whether all went.
bool sortStep(fileops::UndoJournal &journal, const QTemporaryDir &dir, const QStringList &names, bool copy = false, bool unit = false)
{
    bool all = true;
    const fileops::Transfer how = copy ? fileops::Transfer::Copy : fileops::Transfer::Move;
    journal.beginStep(copy ? fileops::StepKind::Copy : fileops::StepKind::Move, "Area");
    QList<fileops::UnitMember> members;
    for (const QString &name : names) {
        members.append({dir.filePath(name), dir.filePath("area/" + name)});
        if (!unit) all = !journal.transfer({members.takeLast()}, how) && all;
    }
    if (unit) all = !journal.transfer(members, how);
    journal.endStep();
    return all;
}

// Another program at work on a file: it puts another file of the same size (or an empty one)
// in its place, or one with the same bytes; edits it, keeping its time ("rewrite") or not;
// touches it; removes it.
void interfere(const QString &file, const QString &how)
{
    const QByteArray path = QFile::encodeName(file);
    if (how == "remove") QVERIFY(QFile::remove(file));
    if (how == "replace" || how == "clone") {
        writeBytes(file + ".new", how == "clone" ? readBytes(file) : QByteArray(readBytes(file).size(), 'x'));
        QVERIFY(::rename(path + ".new", path.constData()) == 0);
    }
    if (how != "edit" && how != "rewrite" && how != "touch") return;
    struct stat info {};
    const int fd = ::open(path.constData(), O_WRONLY);
    QVERIFY(fd >= 0 && ::fstat(fd, &info) == 0 && (how == "touch" || ::pwrite(fd, "O", 1, 0) == 1));
    const timespec times[2] = {info.st_atim, {info.st_mtim.tv_sec + (how == "touch" ? 999 : 0), info.st_mtim.tv_nsec}};
    QVERIFY((how == "edit" || ::futimens(fd, times) == 0) && ::close(fd) == 0);
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

    QTemporaryDir m_data; // the trash
    ScratchVolume m_volume{"16m"};
    const QString m_other = m_volume.mounted() ? m_volume.path() : QString(); // on another file system

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    // A command, its undo and redo, the menu saying what each would do, and its undo again after
    // the next start; then a new command clears redo, and its undo leaves a file whose old place
    // was taken meanwhile where it is. A journal the next start cannot read is set aside.
    void undoInTheWindow_data()
    {
        QTest::addColumn<WindowCase>("row");
        QTest::newRow("move") << WindowCase{{"b.jpg"}, "Cats", "areas/cats/b.jpg", "Undo move of b.jpg to Cats"};
        QTest::newRow("move of two") << WindowCase{{"a.jpg", "b.jpg"}, "Cats", "areas/cats/b.jpg", "Undo move of 2 files to Cats"};
        QTest::newRow("move to another file system") << WindowCase{{"b.jpg"}, "Far", "$FAR/b.jpg", "Undo move of b.jpg to Far"};
        QTest::newRow("copy") << WindowCase{{"b.jpg"}, "copy", "areas/cats/b.jpg", "Undo copy of b.jpg to Cats"};
        QTest::newRow("delete to the trash") << WindowCase{{"b.jpg"}, "delete", "$TRASH/files/b.jpg", "Undo delete of b.jpg"};
        QTest::newRow("rename") << WindowCase{{"b.jpg"}, "rename", "renamed.jpg", "Undo rename of b.jpg"};
        QTest::newRow("journal damaged") << WindowCase{{"b.jpg"}, "Cats", "areas/cats/b.jpg", "Undo move of b.jpg to Cats", true};
    }

    void undoInTheWindow()
    {
        QFETCH(WindowCase, row);
        if (row.command == "Far" && m_other.isEmpty()) SHELFMASTER_SKIP("no second file system here");
        SettingsFixture f("GROUP=Animals\r\n", areaRecord("Cats", "Animals", "$ROOT/areas/cats") + areaRecord("Far", "Animals", QFile::encodeName(m_other)),
                          {"areas/cats"}, {"a.jpg", "b.jpg", "c.jpg"});
        askNothing(f, row.command != "copy");
        const QString away = QDir(f.root()).filePath(row.away.replace("$FAR", m_other).replace("$TRASH", m_data.filePath("Trash")));
        const QByteArray original = readBytes(f.folder("b.jpg"));
        QAction *undo = f.main().mnuUndo, *redo = f.main().mnuRedo;
        sort(f, row.names, row.command == "copy" ? "Cats" : row.command);
        if (row.command == "delete") f.main().mnuDelete->trigger();
        if (row.command == "rename") {
            f.main().mnuRename->trigger();
            f.type("txtNewFilename", "renamed.jpg");
            f.click("cmdRename");
        }
        QVERIFY(QFileInfo::exists(away));
        QCOMPARE(undo->text(), row.undoText);
        f.harness.clickFile("c.jpg");
        undo->trigger();
        QVERIFY(!QFileInfo::exists(away) && readBytes(f.folder("b.jpg")) == original);
        QCOMPARE(folderEntries(m_data.filePath("Trash/info")), QStringList());
        // The file put back is the current one.
        QCOMPARE(f.main().activeFilePath(), f.folder(row.names.first()));
        QCOMPARE(f.main().File1->FileName(), row.names.first());
        QVERIFY(!undo->isEnabled() && undo->text() == "Undo");
        QCOMPARE(redo->text(), QString(row.undoText).replace("Undo", "Redo"));
        redo->trigger();
        QVERIFY(QFileInfo::exists(away) && QFileInfo::exists(f.folder("b.jpg")) == (row.command == "copy"));
        QCOMPARE(undo->text(), row.undoText);
        QVERIFY(!redo->isEnabled());

        if (row.damaged) f.harness.writeProgramFile("SHELFMASTER.UNDO", "SHELFMASTER-UNDO 1\nstep x\n");
        f.harness.start(); // the program ends and starts again
        askNothing(f, true);
        undo = f.main().mnuUndo;
        redo = f.main().mnuRedo;
        if (row.damaged) {
            QVERIFY(f.harness.messages.texts().value(0).startsWith("The undo journal could not be read.") && !undo->isEnabled());
            f.harness.messages.shown.clear();
        } else {
            QCOMPARE(undo->text(), row.undoText);
            undo->trigger();
            QVERIFY(!QFileInfo::exists(away) && readBytes(f.folder("b.jpg")) == original && redo->isEnabled());
        }
        sort(f, {"a.jpg", "c.jpg"}, "Cats");
        QVERIFY(!redo->isEnabled() && redo->text() == "Redo");
        QCOMPARE(undo->text(), QStringLiteral("Undo move of 2 files to Cats"));
        writeBytes(f.folder("c.jpg"), "another picture");
        undo->trigger();
        QCOMPARE(f.harness.messages.texts(), QStringList{"Undo could not put these files back:\nc.jpg: its old place is taken"});
        // The step stays for the file left, to be undone once its old place is free.
        QCOMPARE(undo->text(), QStringLiteral("Undo move of 2 files to Cats"));
        QVERIFY(readBytes(f.folder("c.jpg")) == "another picture" && QFileInfo::exists(f.folder("a.jpg")));
        QFile::remove(f.folder("c.jpg"));
        undo->trigger();
        QVERIFY(QFileInfo::exists(f.folder("c.jpg")) && !QFileInfo::exists(f.folder("areas/cats/c.jpg")) && !undo->isEnabled());
    }

    // Undo and redo act only on the very files the command left: a camera that reuses a name, an
    // edit or a removal by another program, each with the size kept, makes them refuse, and the
    // step stays. A copy is compared with its original for a while: both are looked at again.
    void journalRefuses_data()
    {
        QTest::addColumn<Refusal>("row");
        const QString changed = "it was changed or removed since", original = "its original was changed or replaced since";
        QTest::newRow("copy, original's name reused") << Refusal{true, "replace source", false, "a.jpg: " + original};
        QTest::newRow("copy, original edited") << Refusal{true, "edit source", false, "a.jpg: " + original};
        QTest::newRow("copy, original rewritten keeping its time") << Refusal{true, "rewrite source", false, "a.jpg: " + original};
        QTest::newRow("copy, original gone") << Refusal{true, "remove source", false, "a.jpg: its original is gone"};
        QTest::newRow("copy, original replaced by the same bytes") << Refusal{true, "clone source", false, "a.jpg: " + original};
        QTest::newRow("copy, copy replaced") << Refusal{true, "replace target", false, "a.jpg: " + changed};
        QTest::newRow("copy, copy touched while compared") << Refusal{true, "touch target", false, "a.jpg: " + original};
        QTest::newRow("move, moved file replaced") << Refusal{false, "replace target", false, "a.jpg: " + changed};
        QTest::newRow("move, old place taken") << Refusal{false, "replace source", false, "a.jpg: its old place is taken"};
        QTest::newRow("redo move, file replaced") << Refusal{false, "replace source", true, "a.jpg: " + changed};
        QTest::newRow("redo copy, file edited") << Refusal{true, "edit source", true, "a.jpg: " + changed};
        // A unit stays whole: one file refused keeps the other where it is, or brings it back.
        QTest::newRow("pair, move, old place taken") << Refusal{false, "replace source", false, "a.jpg: its old place is taken\na.cr2: it goes with a.jpg", true};
        QTest::newRow("pair, redo move, second replaced") << Refusal{false, "replace source a.cr2", true, "a.jpg: it goes with a.cr2\na.cr2: " + changed, true};
        QTest::newRow("pair, copy, second original rewritten") << Refusal{true, "rewrite source a.cr2", false, "a.cr2: " + original, true};
    }

    void journalRefuses()
    {
        QFETCH(Refusal, row);
        QTemporaryDir dir;
        const QStringList names = QStringList{"a.jpg"} + QStringList(row.pair, "a.cr2");
        auto journal = journalOver(dir, names);
        QVERIFY(sortStep(*journal, dir, names, row.copy, row.pair));
        journal.reset();
        journal = journalOver(dir); // the unit is read back from the journal
        QVERIFY(!row.redo || journal->undo().refusals.isEmpty());
        const QString how = row.interference.section(' ', 0, 0), name = row.interference.section(' ', 2).isEmpty() ? "a.jpg" : row.interference.section(' ', 2);
        const QString file = dir.filePath((row.interference.section(' ', 1, 1) == "source" ? "" : "area/") + name);
        if (how != "touch") interfere(file, how);
        const auto state = [&] {
            QStringList state = folderEntries(dir.path()) << folderEntries(dir.filePath("area"));
            for (const QString &member : names) state << QString::fromLatin1(readBytes(dir.filePath(member)) + readBytes(dir.filePath("area/" + member)));
            return state;
        };
        const QStringList before = state();
        // A touch comes while the copy is compared with its original.
        const auto run = [&](const QString &, const fileops::TransferWork &work) {
            if (how == "touch") interfere(file, how);
            return work({});
        };
        QCOMPARE((row.redo ? journal->redo(run) : journal->undo(run)).refusals.join('\n'), row.refusal);
        QCOMPARE(state(), before);
        QVERIFY(row.redo ? journal->canRedo() : journal->canUndo()); // the step stays
    }

    // A journal written anew keeps which files go together.
    void journalKeepsUnits()
    {
        fileops::JournalStep step{7, fileops::StepKind::Move, "Area", {}};
        const QList<bool> joins{false, true, false, false, true, true};
        for (qsizetype i = 0; i < joins.size(); ++i) {
            fileops::JournalFile file;
            file.source = "/from/" + QByteArray::number(i);
            file.target = "/to/" + QByteArray::number(i);
            file.joinsPrevious = joins[i];
            step.files.append(file);
        }
        const QList<QByteArray> lines = fileops::journalformat::serialise({step}, {}).split('\n');
        const std::optional<fileops::JournalStacks> read = fileops::journalformat::parse(lines.mid(1, lines.size() - 2));
        QVERIFY(read && read->done.size() == 1);
        QList<bool> readJoins;
        for (const fileops::JournalFile &file : read->done.first().files) readJoins << file.joinsPrevious;
        QCOMPARE(readJoins, joins);
        // A file that never went, below a unit a crash cut, leaves with the unit still whole.
        const std::optional<fileops::JournalStacks> cut = fileops::journalformat::parse(
            {"step 8 move Area", "want 8 /from/x /to/x", "unit 8 1", "want 8 /from/y /to/y", "drop 8 0"});
        QVERIFY(cut && cut->done.first().openUnit == 0 && cut->done.first().files.first().source == "/from/y");
        // A unit whose end could not be written is ended by the next: the journal stays readable.
        QVERIFY(fileops::journalformat::parse({"step 9 move Area", "unit 9 0", "want 9 /from/x /to/x", "unit 9 1",
                                               "want 9 /from/y /to/y", "take 9 0 2 T", "take 9 0 2 S"}));
    }

    // Redo is gone only once a new command changed something, also for the next start; a redo
    // stopped half way by a refusal keeps what it put back in place, which can still be undone.
    void redoAndANewCommand_data()
    {
        QTest::addColumn<NewCommand>("row");
        QTest::newRow("the new command fails") << NewCommand{false, true, "Redo move of 2 files to Area"};
        QTest::newRow("the new command's unit comes back") << NewCommand{false, true, "Redo move of 2 files to Area", true};
        QTest::newRow("the new command moves a file") << NewCommand{false, false, "Redo"};
        QTest::newRow("a half-redone step") << NewCommand{true, false, "Redo"};
    }

    void redoAndANewCommand()
    {
        QFETCH(NewCommand, row);
        QTemporaryDir dir;
        auto journal = journalOver(dir, QStringList{"a.jpg", "b.jpg", "n.jpg", "o.jpg"} + QStringList(row.nameTaken, row.pair ? "area/o.jpg" : "area/n.jpg"));
        QVERIFY(sortStep(*journal, dir, {"a.jpg", "b.jpg"}));
        QVERIFY(journal->undo().refusals.isEmpty());
        if (row.halfRedone) {
            interfere(dir.filePath("b.jpg"), "clone");
            QCOMPARE(journal->redo().refusals.size(), 1);
        }
        if (row.pair) {
            journal->beginStep(fileops::StepKind::Move, "Area");
            QVERIFY(journal->transfer({{dir.filePath("n.jpg"), dir.filePath("area/n.jpg")}, {dir.filePath("o.jpg"), dir.filePath("area/o.jpg")}}, fileops::Transfer::Move));
            journal->endStep();
        } else {
            QCOMPARE(sortStep(*journal, dir, {"n.jpg"}), !row.nameTaken);
        }
        journal.reset();
        journal = journalOver(dir);
        QCOMPARE(journal->redoText(), row.redoText);
        if (!row.halfRedone) return;
        QVERIFY(journal->undo().refusals.isEmpty()); // of the new command
        QCOMPARE(journal->undoText(), QStringLiteral("Undo move of 2 files to Area"));
        QCOMPARE(journal->undo().restored, QStringList{dir.filePath("a.jpg")});
    }
};

SHELFMASTER_TEST_MAIN(TestUndo)
#include "tst_undo.moc"

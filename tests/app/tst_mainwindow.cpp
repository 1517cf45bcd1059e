#include "SettingsFixture.h"
#include "app/CommandLine.h"
#include "fileops/SortCommand.h"
#include "fileops/UndoJournal.h"
#include "fileops/frmRename.h"
#include "viewers/frmImage.h"

#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QSignalSpy>

using platform::MessageAnswer;
using testsupport::folderEntries;
using L = QStringList;

// Selected files sent to an area by a double click on it ("Cats") or by its key ("key F2").
struct Sort {
    QString trigger, current, options = "move"; // move or copy, "asked" before each file
    L selected, arrived, messages, removed; // arrived: in the area folders after; removed: by another program
    int group = 0;
};
// The sort command alone, asking before every file.
struct Command { QString declined, stopAt; L taken, sent, cancelled, events, alsoInFolder; };
// A RAW+JPEG pair with its editors' files, sent, deleted or renamed as one, then undone and redone.
struct Unit { QString command; L taken, root, area, trash, messages; bool raw = true; };
// The current file deleted or renamed: the files in the folder after, the one then current.
struct FileOp { QString command, current; L files, selected, after, messages; QString meanwhile = {}; };

Q_DECLARE_METATYPE(Sort)
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(FileOp)
Q_DECLARE_METATYPE(Unit)

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void sorts_data()
    {
        QTest::addColumn<Sort>("c");
        const QString move = "Move file $ROOT/%1 to $ROOT/areas/%2", copy = "Copy file $ROOT/b.jpg to $ROOT/areas/cats";
        const L b{"b.jpg"}, toCats{"cats/b.jpg"};
        QTest::newRow("move shows the next picture") << Sort{"Cats", "c.jpg", "move", b, toCats};
        QTest::newRow("copy asks first") << Sort{"Cats", "c.jpg", "copy asked", b, toCats, {copy}};
        QTest::newRow("missing area folder") << Sort{"Gone", "b.jpg", "move", b, {}, {"The path is missing"}};
        QTest::newRow("trailing slash")
            << Sort{"Dogs", "b.jpg", "move asked", {"a.jpg"}, {"dogs/a.jpg"}, {move.arg("a.jpg", "dogs/")}};
        QTest::newRow("only the chosen group's area")
            << Sort{"Cats", "a.jpg", "move", {"d.jpg"}, {"travelcats/d.jpg"}, {}, {}, 1};
        QTest::newRow("the next file removed meanwhile") << Sort{"Cats", "d.jpg", "move", b, toCats, {}, {"c.jpg"}};
        // The key pressed again while the first question is up is dropped.
        QTest::newRow("key") << Sort{"key F2", "d.jpg", "move asked", {"a.jpg", "b.jpg"}, {"cats/a.jpg", "cats/b.jpg"},
                                         {move.arg("a.jpg", "cats"), move.arg("b.jpg", "cats")}};
        QTest::newRow("key in the preview") << Sort{"preview key F2", "c.jpg", "move", b, toCats};
        QTest::newRow("key of another group's area") << Sort{"key F3", "a.jpg", "move", {"a.jpg"}};
    }

    void sorts()
    {
        QFETCH(Sort, c);
        SettingsFixture f;
        f.setOptions([&](settings::Options &o) { o.moveDefault = c.options.startsWith("move"); });
        f.setOptions([&](settings::Options &o) { o.promptMove = o.promptCopy = c.options.endsWith("asked"); });
        f.main().cmbCatalog->setCurrentIndex(c.group);
        f.select(c.selected);
        for (const QString &gone : c.removed)
            QFile::remove(f.folder(gone));
        // The list after: the folder as it is, without the files that left it.
        L listed = QDir(f.root()).entryList(QDir::Files, QDir::Name);
        for (const QString &file : c.options.startsWith("move") ? c.arrived : L())
            listed.removeAll(QFileInfo(file).fileName());
        const QKeyCombination key = QKeySequence::fromString(c.trigger.section(' ', -1))[0];
        QWidget *target = c.trigger.startsWith("preview") ? static_cast<QWidget *>(&f.harness.program().viewer())
                                                          : f.main().File1;
        f.harness.messages.whileShown = [&] {
            if (c.trigger.contains("key") && f.harness.messages.shown.size() == 1)
                QCoreApplication::postEvent(target,
                                            new QKeyEvent(QEvent::KeyPress, key.key(), key.keyboardModifiers()));
        };
        c.trigger.contains("key") ? QTest::keyClick(target, key.key(), key.keyboardModifiers()) : f.sortInto(c.trigger);
        QCoreApplication::processEvents();

        QCOMPARE(f.harness.messages.texts(), L(c.messages).replaceInStrings("$ROOT", f.root()));
        L arrived;
        for (const QString area : {"cats", "dogs", "travelcats"})
            arrived += folderEntries(f.folder("areas/" + area)).replaceInStrings(QRegularExpression("^"), area + "/");
        QCOMPARE(arrived, c.arrived);
        QTRY_COMPARE(f.harness.listedFiles(), listed);
        QCOMPARE(QDir(f.root()).entryList(QDir::Files, QDir::Name), listed);
        QCOMPARE(f.harness.selectedFiles(), L{c.current});
        QCOMPARE(f.main().activeFilePath(), f.folder(c.current));
        QCOMPARE(f.main().statusPanel1->text().section(' ', 0, 0), QString::number(listed.size()));
    }

    // The failure box of a file comes before the next file's question.
    void sortCommand_data()
    {
        QTest::addColumn<Command>("c");
        const L asked{"ask a.jpg", "ask b.jpg", "ask c.jpg"}, ac{"a.jpg", "c.jpg"};
        QTest::newRow("a name there or just sent, in any case") << Command{"", "", {"B.JPG"}, {"C.jpg", "a.jpg"},
            {}, {"ask C.jpg", "ask a.jpg", "ask b.jpg", "failed b.jpg 58", "ask c.jpg", "failed c.jpg 58"}, {"C.jpg"}};
        QTest::newRow("cancel on the second of three") << Command{"b.jpg", "", {}, ac, {}, asked};
        QTest::newRow("stopped while sent") << Command{"", "b.jpg", {}, {"a.jpg"}, {"b.jpg", "c.jpg"}, asked.mid(0, 2)};
    }

    void sortCommand()
    {
        QFETCH(Command, c);
        QTemporaryDir root;
        const QString source = root.filePath("source"), area = root.filePath("area");
        testsupport::createFiles(source, L{"a.jpg", "b.jpg", "c.jpg"} + c.alsoInFolder);
        testsupport::createFiles(area, c.taken);
        fileops::UndoJournal journal(root.filePath("SHELFMASTER.UNDO"));
        L happened;
        const auto run = [&](const QString &name, const fileops::TransferWork &work) {
            return name == c.stopAt ? platform::Failure::fromErrno(ECANCELED) : work({});
        };
        const auto ask = [&](const platform::MessageRequest &question) {
            happened << "ask " + QFileInfo(question.text.section(" to ", 0, 0)).fileName();
            return !happened.last().endsWith(" " + c.declined);
        };
        const auto report = [&](const fileops::SortFailure &failed) {
            happened << QStringLiteral("failed %1 %2").arg(failed.name).arg(failed.failure.number());
        };
        const fileops::SortRequest request{.folder = source, .names = folderEntries(source), .area = "Cats",
                                           .records = {{"Cats", "Animals", area, ""}}, .prompt = true};
        const fileops::SortResult result = fileops::SortCommand(request, journal, run, ask, report).run();

        QCOMPARE(happened, c.events);
        QCOMPARE(result.moved, c.sent);
        QCOMPARE(result.cancelled, c.cancelled);
        QCOMPARE(folderEntries(area), c.taken + c.sent); // in this order by name
        QCOMPARE(journal.doneSteps().value(0).files.size(), c.sent.size()); // one step to undo
    }

    void fileCommands_data()
    {
        QTest::addColumn<FileOp>("c");
        const L abcd = SettingsFixture::kPictures, abc{"a.jpg", "b.jpg", "c.jpg"}, ab{"a.jpg", "b.jpg"}, b{"b.jpg"};
        const L acd{"a.jpg", "c.jpg", "d.jpg"}, deleteB{"Delete $ROOT/b.jpg permanently?"}, failed{"Error occurred!"};
        const QString taken = "The filename already exists", invalid = "$ROOT/%1 is not a valid filename";
        QTest::newRow("to the trash: only the current file") << FileOp{"trash", "c.jpg", abcd, ab, acd};
        QTest::newRow("to the trash, asked")
            << FileOp{"trash asked", "c.jpg", abcd, ab, acd, {"Move $ROOT/b.jpg to the trash?"}};
        QTest::newRow("the last: the new last is chosen") << FileOp{"delete", "b.jpg", abc, {"c.jpg"}, ab};
        QTest::newRow("the only one") << FileOp{"delete", "", {"a.jpg"}, {"a.jpg"}, {}};
        QTest::newRow("declined") << FileOp{"delete asked, declined", "b.jpg", abc, b, abc, deleteB + failed};
        QTest::newRow("cannot be deleted") << FileOp{"delete read-only", "b.jpg", abc, b, abc, failed};
        QTest::newRow("new place in the order") << FileOp{"rename z.jpg", "c.jpg", abc, b, {"a.jpg", "c.jpg", "z.jpg"}};
        QTest::newRow("letter case only") << FileOp{"rename B.jpg", "B.jpg", abc, b, {"B.jpg", "a.jpg", "c.jpg"}};
        QTest::newRow("rename out of the list") << FileOp{"rename b.txt", "c.jpg", abc, b, {"a.jpg", "b.txt", "c.jpg"}};
        QTest::newRow("rename the last out of the list")
            << FileOp{"rename c.txt", "b.jpg", abc, {"c.jpg"}, {"a.jpg", "b.jpg", "c.txt"}};
        QTest::newRow("rename the file it was opened for")
            << FileOp{"rename x.jpg", "c.jpg", abc, b, {"a.jpg", "c.jpg", "x.jpg"}, {}, "c.jpg"};
        QTest::newRow("rename to its own name") << FileOp{"rename b.jpg", "b.jpg", abc, b, abc, {taken}};
        QTest::newRow("rename to another file's name") << FileOp{"rename c.jpg", "b.jpg", abc, b, abc, {taken}};
        QTest::newRow("a slash") << FileOp{"rename ../b.jpg", "b.jpg", abc, b, abc, {invalid.arg("../b.jpg")}};
        QTest::newRow("dot dot") << FileOp{"rename ..", "b.jpg", abc, b, abc, {invalid.arg("..")}};
        QTest::newRow("no name") << FileOp{"rename ", "b.jpg", abc, b, abc, {invalid.arg("")}};
    }

    void fileCommands()
    {
        QFETCH(FileOp, c);
        const bool readOnly = c.command.endsWith("read-only");
        testsupport::ScratchVolume volume("1m"); // files that cannot be deleted: on a read-only file system
        if (readOnly && !volume.mounted())
            SHELFMASTER_SKIP("mounting a file system of its own needs root");
        QTemporaryDir data; // the trash follows XDG_DATA_HOME, here a folder without one yet: it must be made
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        SettingsFixture f(L{});
        const QString folder = readOnly ? volume.path() : f.root();
        testsupport::createFiles(folder, c.files);
        f.harness.setStartFolder(folder);
        f.harness.start();
        f.setOptions([&](settings::Options &o) { o.deleteRecycle = c.command.startsWith("trash"); });
        f.setOptions([&](settings::Options &o) { o.promptDelete = c.command.contains("asked"); });
        f.select(c.selected);
        QVERIFY(!readOnly || volume.makeReadOnly());
        f.harness.messages.answers = {c.command.endsWith("declined") ? MessageAnswer::No : MessageAnswer::Yes};
        (c.command.startsWith("rename") ? f.main().mnuRename : f.main().mnuDelete)->trigger();
        auto *dialog = qobject_cast<frmRename *>(QApplication::activeModalWidget());
        QCOMPARE(dialog && !f.main().isEnabled(), c.command.startsWith("rename"));
        if (!c.meanwhile.isEmpty())
            f.main().File1->setSelected(int(f.harness.listedFiles().indexOf(c.meanwhile)), true);
        if (dialog) {
            dialog->txtNewFilename->setText(c.command.section(' ', 1));
            QTest::keyClick(dialog->txtNewFilename, Qt::Key_Return);
            // After a refusal the dialog stays for another name.
            QCOMPARE(QApplication::activeModalWidget() == dialog, !c.messages.isEmpty());
            QTest::keyClick(dialog->txtNewFilename, Qt::Key_Escape);
            QTRY_VERIFY(f.main().isEnabled());
        }

        QCOMPARE(f.harness.messages.texts(), L(c.messages).replaceInStrings("$ROOT", folder));
        QCOMPARE(folderEntries(folder), c.after);
        QCOMPARE(folderEntries(data.filePath("Trash/files")), c.command.startsWith("trash") ? L{"b.jpg"} : L());
        QCOMPARE(f.main().File1->FileName(), c.current);
        QCOMPARE(f.main().activeFilePath(), folder + "/" + (c.current.isEmpty() ? c.selected.first() : c.current));
        QCOMPARE(f.harness.program().viewer().Image1->pixmap().isNull(), c.current.isEmpty());
        L listed = c.after.filter(".jpg");
        listed.sort(Qt::CaseInsensitive);
        QTRY_COMPARE(f.harness.listedFiles(), listed); // the folder is read again in the background
        QCOMPARE(f.main().btnDelete->isEnabled(), !listed.isEmpty());
    }

    void units_data()
    {
        QTest::addColumn<Unit>("u");
        const L pair{"IMG_1.CR2.xmp", "IMG_1.JPG", "IMG_1.xmp", "img_1.cr2"}, other{"other.jpg"};
        QTest::newRow("move") << Unit{"Cats", {}, other, pair};
        QTest::newRow("copy") << Unit{"Cats copy", {}, pair + other, pair};
        QTest::newRow("a member's name taken in another case") << Unit{"Cats", {"img_1.CR2.XMP"}, pair + other,
            {"img_1.CR2.XMP"}, {}, {"$ROOT/areas/cats/IMG_1.CR2.xmp already exist"}};
        QTest::newRow("to the trash") << Unit{"trash", {}, other, {}, pair};
        QTest::newRow("rename") << Unit{"rename Beach.jpg", {}, {"Beach.CR2.xmp", "Beach.cr2", "Beach.jpg", "Beach.xmp", "other.jpg"}};
        QTest::newRow("rename only the picture's ending")
            << Unit{"rename IMG_1.jpeg", {}, {"IMG_1.CR2.xmp", "IMG_1.cr2", "IMG_1.jpeg", "IMG_1.xmp", "other.jpg"}};
        QTest::newRow("rename two of them to one name")
            << Unit{"rename Beach.CR2", {}, pair + other, {}, {}, {"The filename already exists: $ROOT/Beach.cr2"}};
        QTest::newRow("rename to another file's name in another case")
            << Unit{"rename Other.JPG", {}, pair + other, {}, {}, {"The filename already exists"}};
        QTest::newRow("without RAW files: the picture alone")
            << Unit{"Cats", {}, L{"IMG_1.CR2.xmp", "IMG_1.xmp", "img_1.cr2", "other.jpg"}, {"IMG_1.JPG"}, {}, {}, false};
    }
    void units()
    {
        QFETCH(Unit, u);
        QTemporaryDir data;
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const L before{"IMG_1.CR2.xmp", "IMG_1.JPG", "IMG_1.xmp", "img_1.cr2", "other.jpg"};
        SettingsFixture f(f.kGroups, f.kAreas, f.kFolders, before);
        testsupport::createFiles(f.folder("areas/cats"), u.taken);
        f.setOptions([&](settings::Options &o) {
            o.more.rawFiles = u.raw, o.moveDefault = !u.command.endsWith("copy"), o.promptMove = o.promptCopy = 0;
            o.deleteRecycle = 1, o.promptDelete = 0;
        });
        f.main().cmbCatalog->setCurrentIndex(0);
        QCOMPARE(f.harness.listedFiles(), (L{"IMG_1.JPG", "other.jpg"})); // the RAW file shows beside its picture
        QCOMPARE(f.main().File1->model()->index(0, 0).data(Qt::UserRole).toString(), u.raw ? ".cr2" : "");
        f.harness.clickFile("IMG_1.JPG");
        const auto check = [&](L root, const L &area, const L &trash) {
            root.append("areas");
            root.sort();
            QCOMPARE(folderEntries(f.root()), root);
            QCOMPARE(folderEntries(f.folder("areas/cats")), area);
            QCOMPARE(folderEntries(data.filePath("Trash/files")), trash);
        };
        if (u.command == "trash") f.main().mnuDelete->trigger();
        else if (u.command.startsWith("rename")) {
            f.main().mnuRename->trigger();
            auto *dialog = qobject_cast<frmRename *>(QApplication::activeModalWidget());
            dialog->txtNewFilename->setText(u.command.section(' ', 1));
            QTest::keyClick(dialog->txtNewFilename, Qt::Key_Return);
        } else f.sortInto("Cats");
        QCOMPARE(f.harness.messages.texts(), L(u.messages).replaceInStrings("$ROOT", f.root()));
        check(u.root, u.area, u.trash);
        if (!u.messages.isEmpty() || QTest::currentTestFailed()) return;
        f.main().mnuUndo->trigger();
        check(before, u.taken, {});
        f.main().mnuRedo->trigger();
        check(u.root, u.area, u.trash);
        f.harness.start(); // the journal the unit left is read at the next start
        f.main().mnuUndo->trigger();
        QCOMPARE(f.harness.messages.texts(), L());
        check(before, u.taken, {});
    }

    // The first run, without any file, is quiet; a bad line of the groups file is reported once;
    // Exit asks first, the close box does not.
    void startsAndEnds_data()
    {
        for (const char *column : {"groups", "exit"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<L>("messages");
        const QString quit = "Are you sure that you wan't to quit?";
        QTest::newRow("bad group line") << "GROUP=One\r\n\r\nGROUP=Two\r\nGROUP=Three\r\n" << ""
                                        << L{"22 Invalid argument: line 2 of MSGROUP.INI is shorter than its key"};
        QTest::newRow("exit, not confirmed") << "" << "No" << L{quit};
        QTest::newRow("exit, confirmed") << "" << "Yes" << L{quit};
        QTest::newRow("first run is quiet, the close box does not ask") << "" << "close" << L{};
    }

    void startsAndEnds()
    {
        QFETCH(QString, groups);
        QFETCH(QString, exit);
        QFETCH(L, messages);
        SettingsFixture f = groups.isEmpty() ? SettingsFixture(L{}) : SettingsFixture(groups.toUtf8(), "");
        QVERIFY(f.harness.splashWasModal() && f.main().isVisible() && f.harness.program().palette().isVisible());
        QCOMPARE(f.paletteLabels().size(), groups.count("GROUP="));
        QSignalSpy ended(&f.main(), &frmMain::programEnded);
        f.harness.messages.answerNext(exit == "Yes" ? MessageAnswer::Yes : MessageAnswer::No);
        exit == "close" ? void(f.main().close()) : exit.isEmpty() ? void() : f.main().mnuExit->trigger();
        QCOMPARE(f.harness.messages.texts(), messages);
        QCOMPARE(ended.size(), exit == "Yes" || exit == "close" ? 1 : 0);
    }

    // An area key the main window keeps for itself is refused as soon as it is recorded.
    void keysTheMainWindowKeepsAreRefused_data()
    {
        QTest::addColumn<QString>("refusal"); // it begins with the key
        for (const char *refusal : {"1 already chooses group 1", "Del already deletes the current file"})
            QTest::newRow(refusal) << QString(refusal);
    }

    void keysTheMainWindowKeepsAreRefused()
    {
        QFETCH(QString, refusal);
        const QKeyCombination key = QKeySequence::fromString(refusal.section(' ', 0, 0))[0];
        SettingsFixture f;
        f.openSettings();
        f.click("btnAreaAdd");
        auto *keyBox = f.control<QKeySequenceEdit>("keyArea");
        // The box takes the focus, which ends the field's editing once more.
        f.harness.messages.whileShown = [&] { keyBox->clearFocus(); };
        keyBox->setFocus();
        QTest::keyClick(keyBox, key.key(), key.keyboardModifiers());
        QTRY_COMPARE(f.harness.messages.texts(), L{refusal}); // once the field ends editing
        QVERIFY(keyBox->keySequence().isEmpty());
    }

    // Browsing starts in the folder the command line names; one that cannot be entered is reported.
    void startFolder_data()
    {
        QTest::addColumn<QString>("folder");
        for (const char *folder : {"pics", "gone", "pics/file.jpg"}) // the first is a folder
            QTest::newRow(folder) << QString(folder);
    }

    void startFolder()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        testsupport::createFiles(dir.filePath("pics"), {"file.jpg"});
        const QString before = QDir::currentPath();
        FakeMessages messages;
        app::enterStartFolder(app::parseCommandLine({"shelfmaster", dir.filePath(folder)}).folder.value());
        QCOMPARE(QDir::currentPath(), folder == "pics" ? dir.filePath(folder) : before);
        QCOMPARE(messages.texts(), folder == "pics" ? L() : L{"The path is missing"});
        QDir::setCurrent(before);
    }
};

SHELFMASTER_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

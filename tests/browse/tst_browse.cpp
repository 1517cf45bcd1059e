#include "SettingsFixture.h"
#include "browse/BrowseContext.h"
#include "browse/FileListBox.h"
#include "browse/FileListRules.h"
#include "browse/FileUnits.h"

#include <QSignalSpy>

using namespace browse;

namespace {

// The names the context lists, or those of them that are selected.
QStringList names(const BrowseContext &context, bool selectedOnly = false)
{
    QStringList names;
    for (int row = 0; row < context.count(); ++row)
        if (!selectedOnly || context.isSelected(row))
            names << context.name(row);
    return names;
}

// Of a, b, c, d (as many as there are) with one current: a change of the list, and the file chosen then.
struct Reselection { QString change; int files, current; QString chosen; };
// Of a, b, c (a selected, b current): a change made before or after a read in the background, the selection then
// (b, when there, still current) and the current file's row reported gone (-2: the read was dropped).
struct Reread { QString change; QStringList selected; int currentGone = -2; };

} // namespace

Q_DECLARE_METATYPE(Reselection)
Q_DECLARE_METATYPE(Reread)

class TestBrowse : public QObject {
    Q_OBJECT

private slots:
    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind"); // by the end of the name (the dot is not looked at), and whether listed
        const auto rows = [](const char *kind, std::initializer_list<const char *> names) {
            for (const char *name : names)
                QTest::newRow(name) << QString(name) << kind;
        };
        rows("listed picture", {"a.jpg", "a.JPG", "a.gif", "a.Bmp", "a.Jpeg", "holiday.2024.jpg", "a b.jpg"});
        rows("listed movie", {"a.mov", "a.mpeg", "a.MPG", "a.avi"});
        rows("picture", {"ajpg", ".hidden.jpg"});
        rows("", {"a.png", "a.txt", "a.jpg.txt", "a.jpe", "MSAREA.INI", ""});
    }
    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QCOMPARE(isListedFileName(name), kind.startsWith("listed"));
        QCOMPARE(isPictureName(name), kind.endsWith("picture"));
        QCOMPARE(isMovieName(name), kind.endsWith("movie"));
    }

    // A folder's names and the entries they make with RAW files listed: "name+raw[sidecars]".
    void units_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("entries");
        using L = QStringList;
        QTest::newRow("a pair, case ignored, and its sidecars of both forms")
            << L{"img_1.cr2", "IMG_1.JPG", "IMG_1.xmp", "IMG_1.CR2.XMP", "img_1.jpg.pp3", "b.jpg"}
            << L{"b.jpg", "IMG_1.JPG+img_1.cr2[IMG_1.CR2.XMP,img_1.jpg.pp3,IMG_1.xmp]"};
        QTest::newRow("three of one name stay apart") << L{"a.jpg", "a.heic", "a.nef", "a.dop"} << L{"a.heic", "a.jpg", "a.nef"};
        QTest::newRow("two RAW files stay apart") << L{"a.dng", "a.CR3", "a.CR3.xmp"} << L{"a.CR3[a.CR3.xmp]", "a.dng"};
        QTest::newRow("HEIF and RAW, several dots") << L{"x.y.HEIF", "x.y.ORF", "x.y.z.jpg"} << L{"x.y.HEIF+x.y.ORF", "x.y.z.jpg"};
        QTest::newRow("a sidecar an unlisted file may own stays") << L{"a.jpg", "a.crw", "a.xmp", "b.jpg", "b.JPG.xmp"}
                                                               << L{"a.jpg", "b.jpg[b.JPG.xmp]"};
        QTest::newRow("hidden and other files") << L{".a.jpg", ".a.cr2", "a.txt", "a.xmp"} << L{};
    }
    void units()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, entries);
        QStringList made, off;
        for (const FileUnit &unit : fileUnits(names, FileKinds::Today, true))
            made << unit.name + (unit.raw.isEmpty() ? "" : "+" + unit.raw) + (unit.sidecars.isEmpty() ? "" : "[" + unit.sidecars.join(',') + "]");
        QCOMPARE(made, entries);
        // Without RAW files the list is as it always was.
        for (const FileUnit &unit : fileUnits(names, FileKinds::Today, false))
            off << unit.members();
        QStringList listed;
        std::ranges::copy_if(names, std::back_inserter(listed), [](const QString &name) { return isListedFileName(name, FileKinds::Today); });
        sortFileNames(listed);
        QCOMPARE(off, listed);
    }

    void renamesEveryMember_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("renamed"); // when IMG_1.JPG becomes Beach.jpeg
        QTest::newRow("the picture") << "IMG_1.JPG" << "Beach.jpeg";
        QTest::newRow("the RAW file") << "img_1.cr2" << "Beach.cr2";
        QTest::newRow("by the base") << "IMG_1.xmp" << "Beach.xmp";
        QTest::newRow("by the RAW's name") << "IMG_1.CR2.xmp" << "Beach.CR2.xmp";
        QTest::newRow("by the picture's name") << "img_1.jpg.pp3" << "Beach.jpeg.pp3";
    }
    void renamesEveryMember()
    {
        QFETCH(QString, member);
        QFETCH(QString, renamed);
        QCOMPARE(renamedMember(member, "IMG_1.JPG", "Beach.jpeg"), renamed);
    }

    // The list's order: letter case ignored, ties by the exact name, for names a quick key could
    // get wrong (underscore between the two cases, long common starts, letters beyond ASCII).
    void sortsWithoutRegardToCase_data()
    {
        QTest::addColumn<QStringList>("order");
        using L = QStringList;
        QTest::newRow("case and digits") << L{"10.jpg", "A.jpg", "a.jpg", "B.jpg", "b.jpg", "C.jpg", "é.jpg"};
        QTest::newRow("equal but for case") << L{"A.JPG", "A.jpg", "a.JPG", "a.jpg"};
        QTest::newRow("punctuation against letters") << L{"IMG-1.jpg", "img.jpg", "IMG_10.jpg", "img_9.jpg", "imga.jpg"};
        QTest::newRow("alike past eight letters") << L{"IMG_0001.jpg", "img_00010.jpg", "img_0001_A.jpg", "IMG_0001_b.jpg"};
        QTest::newRow("beyond ASCII") << L{"ea.jpg", "ss.jpg", "Zz.jpg", "ß.jpg", "Éa.jpg", "éb.jpg", "ÿa.jpg", "Ÿb.jpg", "Ω.jpg", "ω.jpg", "ωa.jpg"};
    }
    void sortsWithoutRegardToCase()
    {
        QFETCH(QStringList, order);
        for (const QStringList &shuffled : {QStringList(order.rbegin(), order.rend()), order}) {
            QStringList names = shuffled;
            sortFileNames(names);
            QCOMPARE(names, order);
        }
        QVERIFY(std::ranges::is_sorted(order, comesBefore));
    }

    void statusText_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("status");
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

    // The file that becomes current after a move or a copy (the current file gone or not), a delete, a rename out of
    // the list, Space.
    void reselects_data()
    {
        QTest::addColumn<Reselection>("row");
        QTest::newRow("moved, middle") << Reselection{"move", 4, 1, "c.jpg"};
        QTest::newRow("moved, last wraps") << Reselection{"move", 4, 3, "a.jpg"};
        QTest::newRow("moved, only file") << Reselection{"move", 1, 0, ""};
        QTest::newRow("moved, nothing was current") << Reselection{"move", 4, -1, ""};
        QTest::newRow("copied, middle advances") << Reselection{"copy", 4, 1, "c.jpg"};
        QTest::newRow("copied, last stays") << Reselection{"copy", 4, 3, "d.jpg"};
        QTest::newRow("copied, current gone past the end") << Reselection{"copy, gone", 4, 3, ""};
        QTest::newRow("deleted, last") << Reselection{"delete", 4, 3, "c.jpg"};
        QTest::newRow("renamed out of the list, last") << Reselection{"rename", 4, 3, "c.jpg"};
        QTest::newRow("space, last wraps") << Reselection{"step", 4, 3, "a.jpg"};
    }
    void reselects()
    {
        QFETCH(Reselection, row);
        QTemporaryDir folder;
        BrowseContext context;
        testsupport::createFiles(folder.path(), QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}.mid(0, row.files));
        QVERIFY(!context.setPath(folder.path()));
        context.select(row.current);
        const QString name = context.currentName();
        const bool copy = row.change.startsWith("copy");
        // Guessed before the sort, for the preview while the files are written.
        if (row.change == "move" || row.change == "copy")
            QCOMPARE(names(context).value(rowAfterSort(row.current, context.count(), copy)), row.chosen);
        QSignalSpy shown(&context, &BrowseContext::currentChosen);
        if (row.change == "rename")
            context.renameEntry(name, name + ".txt");
        else if (row.change != "step")
            context.removeNames(row.change == "copy" ? QSet<QString>() : QSet<QString>{name});
        // The rule itself too, for what the list cannot show: no index into an empty list.
        if (row.change == "move" || copy)
            QCOMPARE(reselectedIndex(row.current, context.count(), copy), int(names(context).indexOf(row.chosen)));
        if (row.change == "delete")
            context.reselectAfterDelete(row.current);
        else if (row.change == "rename")
            context.reselectAfterRename(row.current);
        else if (row.change == "step")
            context.stepToNext();
        else
            context.reselectAfterSort(row.current, copy);
        QCOMPARE(names(context, true), row.chosen.isEmpty() ? QStringList() : QStringList{row.chosen});
        QCOMPARE(context.currentName(), row.chosen);
        QCOMPARE(shown.count(), 1);
    }

    // Files other programs add to the folder or take from it come and go in the list, which keeps
    // the current file and the selection; while a command holds the list they wait for its end.
    void followsOtherProgramsChanges_data()
    {
        QTest::addColumn<Reread>("row");
        QTest::newRow("a file added before the current") << Reread{"add", {"a.jpg", "b.jpg"}, -1};
        QTest::newRow("the current file removed") << Reread{"remove", {"a.jpg"}, 1};
        QTest::newRow("the current file renamed before it") << Reread{"rename", {"a.jpg"}, 2};
        QTest::newRow("while a command holds the list") << Reread{"hold", {"a.jpg", "b.jpg"}, -1};
        QTest::newRow("beside a file the program took out") << Reread{"drop", {"b.jpg"}, -1};
        QTest::newRow("pictures and a pair with RAW files") << Reread{"raw", {"a.jpg", "b.jpg"}, -1};
    }
    void followsOtherProgramsChanges()
    {
        QFETCH(Reread, row);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("sub.jpg"));
        BrowseContext context;
        context.setRawFiles(row.change == "raw");
        testsupport::createFiles(folder.path(), {"b.jpg", "a.jpg", "c.jpg", "notes.txt", ".hidden.jpg"});
        QVERIFY(!context.setPath(folder.path()));
        QCOMPARE(names(context), (QStringList{"a.jpg", "b.jpg", "c.jpg"})); // no folder, hidden or other file
        context.select(0);
        context.select(1);
        QSignalSpy reread(&context, &BrowseContext::reread);
        QSignalSpy told(context.findChild<platform::FolderWatch *>(), &platform::FolderWatch::namesChanged);
        std::optional<UpdateHold> hold;
        if (row.change == "hold")
            hold.emplace(context);
        if (row.change == "drop") {
            context.removeNames({"a.jpg"});
            context.select(0);
            QVERIFY(QFile::remove(folder.filePath("a.jpg")));
        }
        QStringList expected = names(context);
        if (row.change == "remove" || row.change == "rename") {
            QVERIFY(row.change == "remove" ? QFile::remove(folder.filePath("b.jpg"))
                                           : QFile::rename(folder.filePath("b.jpg"), folder.filePath("a0.jpg")));
            expected.removeOne("b.jpg");
            if (row.change == "rename")
                expected.insert(1, "a0.jpg");
        } else {
            testsupport::createFiles(folder.path(), {"aa.jpg", "aa.cr2", "d.txt"});
            expected << "aa.jpg";
            sortFileNames(expected);
        }
        QTRY_VERIFY(!told.isEmpty());
        if (hold) {
            QCOMPARE(names(context).size(), 3);
            hold.reset();
        }
        QTRY_COMPARE(names(context), expected);
        QCOMPARE(names(context, true), row.selected);
        if (row.currentGone < 0)
            QCOMPARE(context.currentName(), row.selected.last());
        QCOMPARE(reread.last().first().toInt(), row.currentGone);
    }

    // A press that moves the current file is told even when rows change before the release.
    void clickSurvivesRowsChanging()
    {
        QTemporaryDir folder;
        testsupport::createFiles(folder.path(), {"b.jpg", "c.jpg"});
        BrowseContext context;
        FileListBox list(context);
        list.resize(200, 200);
        list.show();
        QVERIFY(!context.setPath(folder.path()));
        QSignalSpy clicks(&list, &FileListBox::Click);
        const QPoint onC = list.visualRect(context.model()->index(1, 0)).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, onC);
        static_cast<FileListModel *>(context.model())->insertName("a.jpg"); // another program's
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, onC);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(context.currentName(), "c.jpg");
    }

    void vanishedFolderIsReported()
    {
        SettingsFixture f(QStringList{"a.jpg", "b.jpg"});
        QVERIFY(QDir(f.root()).removeRecursively());
        f.main().RefreshAndReselect();
        QCOMPARE(f.harness.messages.shown,
                 (QList<platform::MessageRequest>{{"Error!", "The path is missing", platform::MessageIcon::Critical}}));
    }
};

SHELFMASTER_TEST_MAIN(TestBrowse)
#include "tst_browse.moc"

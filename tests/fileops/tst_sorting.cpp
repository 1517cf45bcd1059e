#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/BackgroundTransfer.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "browse/FileListRules.h"
#include "fileops/SortCommand.h"
#include "fileops/UndoJournal.h"
#include "viewers/frmImage.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using testsupport::createFiles;
using testsupport::folderEntries;
using fileops::Transfer;

Q_DECLARE_METATYPE(Transfer)


// A folder of four pictures, and areas in two groups.
class SortingFixture {
    QTemporaryDir m_root; // first made, last removed

public:
    SortingFixture()
    {
        QDir().mkpath(source());
        const QString areas = m_root.filePath(QStringLiteral("areas"));
        for (const char *area : {"cats", "dogs", "travelcats"})
            QDir().mkpath(areas + QLatin1Char('/') + QLatin1String(area));
        createFiles(source(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), "GROUP=Animals\r\nGROUP=Travel\r\n");
        const QByteArray root = m_root.path().toUtf8();
        harness.writeProgramFile(QStringLiteral("MSAREA.INI"),
                                 "AREA=Cats\r\nGROUP=Animals\r\nPATH=" + root + "/areas/cats\r\nSHORTCUT=\r\n"
                                 "AREA=Dogs\r\nGROUP=Animals\r\nPATH=" + root + "/areas/dogs/\r\nSHORTCUT=\r\n"
                                 "AREA=Missing\r\nGROUP=Animals\r\nPATH=" + root + "/areas/none\r\nSHORTCUT=\r\n"
                                 "AREA=Cats\r\nGROUP=Travel\r\nPATH=" + root + "/areas/travelcats\r\nSHORTCUT=\r\n");
        harness.setStartFolder(source());
        harness.start();
    }

    QString source() const { return m_root.filePath(QStringLiteral("source")); }
    QString area(const char *name) const { return m_root.filePath(QStringLiteral("areas/") + name); }
    frmMain &main() { return harness.main(); }

    void setOptions(bool copy, bool prompt)
    {
        settings::Options options = main().options();
        options.moveDefault = !copy;
        (copy ? options.promptCopy : options.promptMove) = prompt;
        main().setOptions(options);
    }

    void select(std::initializer_list<int> rows)
    {
        for (int row : rows)
            main().File1->setSelected(row, true);
    }

    // Chooses the group and double-clicks the area in the area list.
    void sortInto(int group, const QString &area)
    {
        main().cmbCatalog->setCurrentIndex(group);
        const QList<QListWidgetItem *> items = main().lstArea->findItems(area, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        const QRect rect = main().lstArea->visualItemRect(items.first());
        // A double click is a press and a release, then the second press.
        QTest::mouseClick(main().lstArea->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(main().lstArea->viewport(), Qt::LeftButton, {}, rect.center());
    }

    ProgramHarness harness;
};

class TestSorting : public QObject {
    Q_OBJECT

private slots:
    void moveShowsTheNextPicture()
    {
        SortingFixture f;
        f.setOptions(false, false);
        f.select({1});
        f.sortInto(0, QStringLiteral("Cats"));

        QVERIFY(f.harness.messages.shown.isEmpty());
        QCOMPARE(folderEntries(f.area("cats")), QStringList{"b.jpg"});
        QCOMPARE(f.harness.listedFiles(), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
        QCOMPARE(f.main().File1->FileName(), QStringLiteral("c.jpg"));
        const QString next = f.source() + QStringLiteral("/c.jpg");
        QCOMPARE(f.main().activeFilePath(), next);
        QCOMPARE(f.harness.program().viewer().windowTitle(), next);
    }

    void copyAsksFirst_data()
    {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<QStringList>("copied");
        QTest::newRow("ok") << MessageAnswer::Ok << QStringList{"b.jpg"};
        QTest::newRow("cancel") << MessageAnswer::Cancel << QStringList{};
    }

    void copyAsksFirst()
    {
        QFETCH(MessageAnswer, answer);
        QFETCH(QStringList, copied);
        SortingFixture f;
        f.setOptions(true, true);
        f.select({1});
        f.harness.messages.answerNext(answer);
        f.sortInto(0, QStringLiteral("Cats"));

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first(),
                 (platform::MessageRequest{"Copy file",
                                           "Copy file " + f.source() + "/b.jpg to " + f.area("cats"),
                                           MessageIcon::Question, MessageButtons::OkCancel,
                                           MessageAnswer::Ok}));
        QCOMPARE(folderEntries(f.area("cats")), copied);
        QCOMPARE(f.harness.listedFiles().size(), 4);
        // The list is read again either way and the selection moves on.
        QCOMPARE(f.main().File1->FileName(), QStringLiteral("c.jpg"));
    }

    void cancelOnTheSecondOfThree()
    {
        SortingFixture f;
        f.setOptions(false, true);
        f.select({0, 1, 2});
        f.harness.messages.answerNext(MessageAnswer::Ok);
        f.harness.messages.answerNext(MessageAnswer::Cancel);
        f.harness.messages.answerNext(MessageAnswer::Ok);
        f.sortInto(0, QStringLiteral("Cats"));

        QCOMPARE(f.harness.messages.shown.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.harness.messages.shown.at(i).title, QStringLiteral("Move file"));
            QVERIFY(f.harness.messages.shown.at(i).text.startsWith(
                "Move file " + f.source() + "/" + QString(QChar('a' + i)) + ".jpg to "));
        }
        QCOMPARE(folderEntries(f.area("cats")), (QStringList{"a.jpg", "c.jpg"}));
        QCOMPARE(f.harness.listedFiles(), (QStringList{"b.jpg", "d.jpg"}));
    }

    void nameAlreadyThereInAnyCase()
    {
        SortingFixture f;
        f.setOptions(false, false);
        testsupport::writeBytes(f.area("cats") + "/B.JPG", "older");
        f.select({1});
        f.sortInto(0, QStringLiteral("Cats"));

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first(),
                 (platform::MessageRequest{platform::applicationTitle(),
                                           f.area("cats") + "/b.jpg already exist", MessageIcon::Information}));
        QCOMPARE(folderEntries(f.area("cats")), QStringList{"B.JPG"});
        QCOMPARE(testsupport::readBytes(f.area("cats") + "/B.JPG"), QByteArray("older"));
        QVERIFY(QFile::exists(f.source() + "/b.jpg"));
    }

    void missingAreaFolder()
    {
        SortingFixture f;
        f.setOptions(false, false);
        f.select({1});
        f.sortInto(0, QStringLiteral("Missing"));

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first(),
                 (platform::MessageRequest{"Error!", "The path is missing", MessageIcon::Critical}));
        QCOMPARE(f.harness.listedFiles().size(), 4);
    }

    void areaPathWithTrailingSlash()
    {
        SortingFixture f;
        f.setOptions(false, true);
        f.select({0});
        f.sortInto(0, QStringLiteral("Dogs"));

        QCOMPARE(f.harness.messages.shown.first().text,
                 "Move file " + f.source() + "/a.jpg to " + f.area("dogs") + "/");
        QCOMPARE(folderEntries(f.area("dogs")), QStringList{"a.jpg"});
    }

    void onlyTheChosenGroupsArea()
    {
        SortingFixture f;
        f.setOptions(false, false);
        f.select({3});
        f.sortInto(1, QStringLiteral("Cats"));

        QCOMPARE(folderEntries(f.area("travelcats")), QStringList{"d.jpg"});
        QCOMPARE(folderEntries(f.area("cats")), QStringList());
        QCOMPARE(f.main().File1->FileName(), QStringLiteral("a.jpg")); // the last one wrapped
    }

    void withoutACurrentSelectedFile_data()
    {
        QTest::addColumn<bool>("current");
        QTest::addColumn<int>("listed");
        QTest::newRow("no current file: nothing at all") << false << 4;
        QTest::newRow("current but unselected: only read again") << true << 5;
    }

    void withoutACurrentSelectedFile()
    {
        QFETCH(bool, current);
        QFETCH(int, listed);
        SortingFixture f;
        f.setOptions(false, false);
        if (current) {
            f.main().File1->setSelected(1, true);
            f.main().File1->setSelected(1, false);
        }
        createFiles(f.source(), {"e.jpg"}); // appears only if the list is read again
        f.sortInto(0, QStringLiteral("Cats"));

        QCOMPARE(folderEntries(f.area("cats")), QStringList());
        // The folder is read again in the background.
        QTRY_COMPARE(f.harness.listedFiles().size(), listed);
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    // The list after a sort is what a full read of the folder gives: also with a file another
    // program added meanwhile, and with the file that became current removed meanwhile.
    void listAfterASortIsTheFolder_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QString>("current");
        QTest::newRow("nothing else changed") << QStringList{} << QStringList{} << "c.jpg";
        QTest::newRow("a file added") << QStringList{"bb.jpg"} << QStringList{} << "c.jpg";
        QTest::newRow("the next file removed") << QStringList{} << QStringList{"c.jpg"} << "d.jpg";
    }

    void listAfterASortIsTheFolder()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, removed);
        QFETCH(QString, current);
        SortingFixture f;
        f.setOptions(false, false);
        f.select({1});
        // Another program changes the folder just before the sort.
        createFiles(f.source(), added);
        for (const QString &name : removed)
            QFile::remove(f.source() + "/" + name);
        f.sortInto(0, QStringLiteral("Cats"));

        QStringList onDisk = folderEntries(f.source());
        browse::sortFileNames(onDisk);
        QTRY_COMPARE(f.harness.listedFiles(), onDisk);
        QTRY_COMPARE(f.main().File1->FileName(), current);
        QCOMPARE(f.harness.selectedFiles(), QStringList{current});
        QCOMPARE(f.main().activeFilePath(), f.source() + "/" + current);
        QCOMPARE(f.main().statusPanel1->text().section(' ', 0, 0), QString::number(onDisk.size()));
        QVERIFY2(f.harness.messages.shown.isEmpty(), qPrintable(f.harness.messages.texts().join('\n')));
    }

    // The command alone, with a question before every file; the failure box of a file comes
    // before the next file's question.
    void sortCommand_data()
    {
        QTest::addColumn<Transfer>("how");
        QTest::addColumn<QString>("declined"); // its question is answered Cancel
        QTest::addColumn<QString>("taken");    // already in the area folder
        QTest::addColumn<QString>("stopAt");   // the user presses Cancel while it is sent
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("cancelled");
        QTest::addColumn<QStringList>("events");
        const QStringList all{"a.jpg", "b.jpg", "c.jpg"};
        const QStringList asked{"ask a.jpg", "ask b.jpg", "ask c.jpg"};
        QTest::newRow("move") << Transfer::Move << "" << "" << "" << all << QStringList() << asked;
        QTest::newRow("copy") << Transfer::Copy << "" << "" << "" << all << QStringList() << asked;
        QTest::newRow("name taken in another case")
            << Transfer::Move << "" << "B.JPG" << "" << QStringList{"a.jpg", "c.jpg"} << QStringList()
            << QStringList{"ask a.jpg", "ask b.jpg", "failed b.jpg 58", "ask c.jpg"};
        QTest::newRow("question declined")
            << Transfer::Move << "b.jpg" << "" << "" << QStringList{"a.jpg", "c.jpg"} << QStringList() << asked;
        QTest::newRow("cancelled") << Transfer::Move << "" << "" << "b.jpg" << QStringList{"a.jpg"}
                                   << QStringList{"b.jpg", "c.jpg"} << asked.mid(0, 2);
    }

    void sortCommand()
    {
        QFETCH(Transfer, how);
        QFETCH(QString, declined);
        QFETCH(QString, taken);
        QFETCH(QString, stopAt);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, cancelled);
        QFETCH(QStringList, events);
        QTemporaryDir root;
        const QString source = root.filePath("source"), area = root.filePath("area");
        QDir().mkpath(source);
        QDir().mkpath(area);
        const QStringList names{"a.jpg", "b.jpg", "c.jpg"};
        createFiles(source, names);
        QStringList inArea = sent;
        if (!taken.isEmpty()) {
            createFiles(area, {taken});
            inArea << taken;
        }
        fileops::UndoJournal journal(root.filePath("SHELFMASTER.UNDO"));
        QStringList happened;
        const auto run = [&](const QString &name, const fileops::TransferWork &work) {
            return name == stopAt ? platform::Failure::fromErrno(ECANCELED) : work({});
        };
        const auto ask = [&](const platform::MessageRequest &question) {
            const QString name = QFileInfo(question.text.section(" to ", 0, 0)).fileName();
            happened << "ask " + name;
            return name != declined;
        };
        const auto report = [&](const fileops::SortFailure &failed) {
            happened << QStringLiteral("failed %1 %2").arg(failed.name).arg(failed.failure.number());
        };
        fileops::SortRequest request{source, names, "Cats", {{"Cats", "Animals", area, ""}}, how, true};
        const fileops::SortResult result = fileops::SortCommand(request, journal, run, ask, report).run();

        QCOMPARE(happened, events);
        QCOMPARE(how == Transfer::Copy ? result.copied : result.moved, sent);
        QCOMPARE(result.copied.size() + result.moved.size(), sent.size());
        QCOMPARE(result.cancelled, cancelled);
        inArea.sort();
        QCOMPARE(folderEntries(area), inArea);
        QStringList left = names;
        if (how == Transfer::Move)
            left.removeIf([&](const QString &name) { return sent.contains(name); });
        QCOMPARE(folderEntries(source), left);
        QCOMPARE(journal.doneSteps().size(), 1);
        QCOMPARE(journal.doneSteps().constLast().files.size(), sent.size());
    }

    // The progress shows once the command has run half a second, also when no file alone takes
    // that long.
    void progressShowsForManySmallFiles()
    {
        QWidget window;
        app::BackgroundTransfer transfers(&window, 20);
        const auto smallFile = [](const fileops::TransferProgress &) {
            QThread::msleep(200);
            return platform::MaybeFailure();
        };
        for (int i = 0; i < 20 && !window.findChild<QProgressDialog *>(); ++i)
            QVERIFY(!transfers.run(QStringLiteral("small.jpg"), smallFile));
        auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("dlgTransferProgress"));
        QVERIFY(progress);
        QVERIFY2(progress->labelText().endsWith(" of 20"), qPrintable(progress->labelText()));
        // Files moved by a rename report no progress: Cancel stops the command before the next one.
        QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
        bool ran = false;
        QVERIFY(transfers.run(QStringLiteral("next.jpg"), [&](const fileops::TransferProgress &) {
            ran = true;
            return platform::MaybeFailure();
        }));
        QVERIFY(!ran && transfers.cancelled());
    }

    // The area is read once for the whole sort, and still every name it holds in another letter
    // case is refused, as is a name the sort itself used a moment before.
    void manyFilesIntoALargeArea()
    {
        SortingFixture f;
        f.setOptions(false, false);
        QStringList crowd;
        for (int i = 0; i < 10000; ++i)
            crowd << QStringLiteral("x%1.dat").arg(i, 5, 10, QLatin1Char('0'));
        createFiles(f.area("cats"), crowd + QStringList{"C.JPG"});
        createFiles(f.source(), {"B.jpg"});
        QVERIFY(!f.main().File1->Refresh());
        QCOMPARE(f.harness.listedFiles(), (QStringList{"a.jpg", "B.jpg", "b.jpg", "c.jpg", "d.jpg"}));
        f.select({0, 1, 2, 3, 4});
        f.sortInto(0, QStringLiteral("Cats"));
        QCOMPARE(f.harness.messages.texts(),
                 (QStringList{f.area("cats") + "/b.jpg already exist", f.area("cats") + "/c.jpg already exist"}));
        QCOMPARE(f.harness.listedFiles(), (QStringList{"b.jpg", "c.jpg"}));
        QCOMPARE(folderEntries(f.area("cats")).size(), 10000 + 4);
    }
};

SHELFMASTER_TEST_MAIN(TestSorting)
#include "tst_sorting.moc"

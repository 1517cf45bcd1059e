#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "fileops/frmRename.h"
#include "viewers/frmImage.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using testsupport::folderEntries;

class TestRename : public QObject {
    Q_OBJECT

private:
    struct Run {
        ProgramHarness harness;
        QString folder;
        frmMain &main() { return harness.main(); }
    };

    // Starts in a folder of a.jpg, b.jpg and c.jpg with b.jpg current and opens the dialog.
    static std::unique_ptr<Run> openOnB()
    {
        auto run = std::make_unique<Run>();
        run->folder = run->harness.startIn({"a.jpg", "b.jpg", "c.jpg"});
        run->main().File1->setSelected(1, true);
        run->main().mnuRename->trigger();
        return run;
    }

    // The open rename dialog, if any.
    static frmRename *find()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *rename = qobject_cast<frmRename *>(window); rename && rename->isVisible())
                return rename;
        }
        return nullptr;
    }

    static void renameTo(frmRename *rename, const QString &name)
    {
        rename->txtNewFilename->setText(name);
        QTest::keyClick(rename->txtNewFilename, Qt::Key_Return);
    }

private slots:
    void opensOnTheCurrentFile()
    {
        auto run = openOnB();
        frmRename *rename = find();
        QVERIFY(rename);
        QCOMPARE(rename->windowTitle(), QStringLiteral("Rename a single file"));
        QCOMPARE(rename->txtNewFilename->text(), QStringLiteral("b.jpg"));
        QVERIFY(rename->cmdRename->isDefault());
        QVERIFY(!run->main().isEnabled());
        // No other window takes input: a click on the preview opens no picture window.
        frmImage &viewer = run->harness.program().viewer();
        QTest::mouseClick(viewer.windowHandle(), Qt::LeftButton, {},
                          viewer.Image1->mapTo(&viewer, viewer.Image1->rect().center()));
        QVERIFY(!run->main().pictureWindow());

        QTest::keyClick(rename->txtNewFilename, Qt::Key_Escape);
        QTRY_VERIFY(!find());
        QVERIFY(run->main().isEnabled());
        QCOMPARE(folderEntries(run->folder), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    }

    void doesNotOpenWithoutACurrentFile()
    {
        ProgramHarness harness;
        harness.startIn({"a.jpg"});
        harness.main().mnuRename->trigger();
        QVERIFY(!find());
        QVERIFY(harness.main().isEnabled());
    }

    void renames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("selected");
        // The entry at the old position is selected: after b.jpg became z.jpg that is c.jpg.
        QTest::newRow("new place in the order") << "z.jpg" << QStringList{"a.jpg", "c.jpg", "z.jpg"} << "c.jpg";
        QTest::newRow("letter case only") << "B.jpg" << QStringList{"B.jpg", "a.jpg", "c.jpg"} << "B.jpg";
        QTest::newRow("leaves the list") << "b.txt" << QStringList{"a.jpg", "b.txt", "c.jpg"} << "c.jpg";
    }

    void renames()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(QString, selected);
        auto run = openOnB();
        renameTo(find(), name);

        QTRY_VERIFY(!find());
        QVERIFY(run->harness.messages.shown.isEmpty());
        QCOMPARE(folderEntries(run->folder), files);
        QCOMPARE(run->main().File1->FileName(), selected);
        QVERIFY(run->main().isEnabled());
    }

    void lastFileLeavingTheListSelectsTheNearest()
    {
        auto run = openOnB();
        QTest::keyClick(find()->txtNewFilename, Qt::Key_Escape);
        run->main().File1->setSelected(2, true);
        run->main().mnuRename->trigger();
        renameTo(find(), QStringLiteral("c.txt"));
        QTRY_VERIFY(!find());
        QCOMPARE(run->main().File1->FileName(), QStringLiteral("b.jpg"));
        QVERIFY(run->harness.messages.shown.isEmpty());
    }

    // Whatever became current meanwhile, the file renamed is the one the dialog opened for.
    void renamesTheFileItWasOpenedFor_data()
    {
        QTest::addColumn<bool>("gone");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("another file current") << false << QStringList{"a.jpg", "c.jpg", "x.jpg"} << QStringList{};
        QTest::newRow("the file gone") << true << QStringList{"a.jpg", "c.jpg"} << QStringList{"53 File not found"};
    }

    void renamesTheFileItWasOpenedFor()
    {
        QFETCH(bool, gone);
        QFETCH(QStringList, files);
        QFETCH(QStringList, messages);
        auto run = openOnB();
        run->main().File1->setSelected(2, true);
        if (gone)
            QFile::remove(run->folder + "/b.jpg");
        renameTo(find(), QStringLiteral("x.jpg"));
        QCOMPARE(run->harness.messages.texts(), messages);
        QCOMPARE(folderEntries(run->folder), files);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // %1: the folder
        QTest::newRow("same name") << "b.jpg" << "The filename already exists";
        QTest::newRow("another file's name") << "c.jpg" << "The filename already exists";
        QTest::newRow("a slash") << "../b.jpg" << "%1/../b.jpg is not a valid filename";
        QTest::newRow("dot dot") << ".." << "%1/.. is not a valid filename";
        QTest::newRow("empty") << "" << "%1/ is not a valid filename";
    }

    void refuses()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        auto run = openOnB();
        frmRename *rename = find();
        renameTo(rename, name);

        QCOMPARE(run->harness.messages.texts(), QStringList{message.arg(run->folder)});
        QCOMPARE(run->harness.messages.shown.first().icon, platform::MessageIcon::Critical);
        QCOMPARE(find(), rename);
        QCOMPARE(rename->txtNewFilename->text(), name);
        QVERIFY(!run->main().isEnabled());
        QCOMPARE(folderEntries(run->folder), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        QCOMPARE(testsupport::readBytes(run->folder + "/c.jpg").size() > 0, true);
        QTest::mouseClick(rename->cmdCancel, Qt::LeftButton);
        QTRY_VERIFY(!find());
        QVERIFY(run->main().isEnabled());
    }
};

SHELFMASTER_TEST_MAIN(TestRename)
#include "tst_rename.moc"

#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/Desktop.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolBar>

namespace {

// Counts the key presses a control receives.
class KeyCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        presses += event->type() == QEvent::KeyPress;
        return false;
    }
};

} // namespace

class TestCommands : public QObject {
    Q_OBJECT

private:
    QList<QUrl> m_opened;

private slots:
    void init()
    {
        m_opened.clear();
        platform::setUrlOpener([this](const QUrl &url) {
            m_opened << url;
            return true;
        });
    }

    void cleanup() { platform::setUrlOpener({}); }

    void menuTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::newRow("rename") << "mnuRename" << "&Rename file" << QKeySequence(Qt::CTRL | Qt::Key_R);
        QTest::newRow("delete") << "mnuDelete" << "Delete file" << QKeySequence(Qt::Key_Delete);
        QTest::newRow("exit") << "mnuExit" << "E&xit" << QKeySequence(Qt::CTRL | Qt::Key_X);
        QTest::newRow("settings") << "mnuSettings" << "&Settings" << QKeySequence();
        QTest::newRow("help topics") << "mnuHelpTopics" << "Marrowby Shelfmaster &Help" << QKeySequence();
        QTest::newRow("about") << "mnuAbout" << "&About Shelfmaster" << QKeySequence();
    }

    void menuTree()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        ProgramHarness harness;
        harness.start();
        auto *action = harness.main().findChild<QAction *>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut(), shortcut);
    }

    void toolbarButtons()
    {
        ProgramHarness harness;
        harness.start();
        QStringList keys;
        QStringList tips;
        for (QAction *action : harness.main().Toolbar1->actions()) {
            if (action->isSeparator()) {
                keys << "|";
                continue;
            }
            keys << action->objectName();
            tips << action->toolTip();
            QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
        }
        QCOMPARE(keys, (QStringList{"btnExit", "btnSettings", "btnDesktop", "|", "btnDelete", "|", "btnAddArea",
                                    "|", "btnHelp"}));
        QCOMPARE(tips, (QStringList{"Exit", "Settings", "Put image to desktop as a wallpaper", "Delete",
                                    "Add area", "About Shelfmaster"}));
    }

    void toolbarDispatch_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("exit asks") << "btnExit" << "question";
        QTest::newRow("settings") << "btnSettings" << "settings";
        QTest::newRow("add area") << "btnAddArea" << "settings";
        QTest::newRow("help opens the document, not the about box") << "btnHelp" << "help";
        QTest::newRow("wallpaper without a file") << "btnDesktop" << "no file";
        QTest::newRow("no such key") << "btnNothing" << "nothing";
    }

    void toolbarDispatch()
    {
        QFETCH(QString, key);
        QFETCH(QString, outcome);
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("Help.htm"), "<p>help</p>");
        harness.start();
        frmMain &main = harness.main();
        harness.messages.answerNext(platform::MessageAnswer::No);
        if (QAction *button = main.Toolbar1->findChild<QAction *>(key))
            button->trigger();
        else
            main.Toolbar1_ButtonClick(key);

        QCOMPARE(main.settings().isVisible(), outcome == "settings");
        QCOMPARE(m_opened, outcome == "help"
                               ? QList<QUrl>{QUrl::fromLocalFile(harness.programDir() + "/Help.htm")}
                               : QList<QUrl>{});
        const QStringList texts = harness.messages.texts();
        if (outcome == "question")
            QCOMPARE(texts, QStringList{"Are you sure that you wan't to quit?"});
        else if (outcome == "no file")
            QCOMPARE(texts, QStringList{"There is no file selected or the path is empty"});
        else
            QCOMPARE(texts, QStringList());
        main.settings().reject();
    }

    void addAreaShowsTheSavedOptions()
    {
        ProgramHarness harness;
        settings::Options saved;
        saved.moveDefault = false;
        harness.writeProgramFile(QStringLiteral("SETTINGS.INI"),
                                 settings::settingsLines(saved).join("\r\n").toUtf8() + "\r\n");
        harness.start();
        frmMain &main = harness.main();
        main.settings().optMoveDefault->setChecked(true); // a change nobody saved
        main.btnAddArea->trigger();
        QVERIFY(main.settings().isVisible());
        QVERIFY(main.settings().optCopyDefault->isChecked());
        main.settings().reject();
        QVERIFY(!main.options().moveDefault);
    }

    void digitsChooseGroups_data()
    {
        QTest::addColumn<QByteArray>("groups");
        QTest::addColumn<char>("key");
        QTest::addColumn<int>("selected");
        const QByteArray three = "GROUP=A\r\nGROUP=B\r\nGROUP=C\r\n";
        QTest::newRow("3 of three") << three << '3' << 2;
        QTest::newRow("4 of three") << three << '4' << -1;
        QTest::newRow("1 without groups") << QByteArray() << '1' << -1;
        QTest::newRow("0 has no use") << three << '0' << -1;
    }

    void digitsChooseGroups()
    {
        QFETCH(QByteArray, groups);
        QFETCH(char, key);
        QFETCH(int, selected);
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), groups);
        harness.writeProgramFile(QStringLiteral("MSAREA.INI"), "AREA=x\r\nGROUP=C\r\nPATH=/x\r\nSHORTCUT=\r\n");
        harness.start();
        frmMain &main = harness.main();
        // The focused control still gets a digit that chose no group.
        main.lstArea->setFocus();
        KeyCounter counter;
        main.lstArea->installEventFilter(&counter);
        QTest::keyClick(main.lstArea, key);
        QCOMPARE(main.cmbCatalog->currentIndex(), selected);
        QCOMPARE(main.lstArea->count(), selected == 2 ? 1 : 0);
        QCOMPARE(counter.presses, selected >= 0 ? 0 : 1);
    }

    void spaceStepsThroughTheFiles()
    {
        ProgramHarness harness;
        const QString folder = harness.startIn({"a.jpg", "b.jpg", "c.jpg"});
        frmMain &main = harness.main();
        main.File1->setSelected(1, true);
        main.File1->setFocus();

        QTest::keyClick(main.File1, Qt::Key_Space);
        QCOMPARE(main.File1->FileName(), QStringLiteral("c.jpg"));
        QCOMPARE(main.activeFilePath(), folder + "/c.jpg");
        QTest::keyClick(main.File1, Qt::Key_Space);
        QCOMPARE(main.File1->FileName(), QStringLiteral("a.jpg"));
        QCOMPARE(main.activeFilePath(), folder + "/a.jpg");
    }

    void spaceKeepsOtherSelections()
    {
        ProgramHarness harness;
        harness.startIn({"a.jpg", "b.jpg", "c.jpg"});
        frmMain &main = harness.main();
        main.File1->setSelected(0, true);
        main.File1->setSelected(2, true);
        main.Form_KeyPress(' ');
        QCOMPARE(main.File1->FileName(), QStringLiteral("a.jpg"));
        QCOMPARE(harness.selectedFiles(), QStringList{"a.jpg"});
    }

    void spaceInAnEmptyFolderDoesNothing()
    {
        ProgramHarness harness;
        harness.startIn({});
        harness.main().Form_KeyPress(' ');
        QCOMPARE(harness.main().File1->ListIndex(), -1);
        QVERIFY(harness.messages.shown.isEmpty());
    }
};

SHELFMASTER_TEST_MAIN(TestCommands)
#include "tst_commands.moc"

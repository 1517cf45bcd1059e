#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "quickgroup/frmQuickGroup.h"
#include "viewers/frmImage.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

QStringList areaItems(const frmMain &main)
{
    QStringList items;
    for (int i = 0; i < main.lstArea->count(); ++i)
        items << main.lstArea->item(i)->text();
    return items;
}

const QByteArray kGroups = "GROUP=Animals\r\nGROUP=Travel\r\nGROUP=Family\r\n";
const QByteArray kAreas = "AREA=cherry\r\nGROUP=Travel\r\nPATH=/t/c\r\nSHORTCUT=\r\n"
                          "AREA=Cats\r\nGROUP=Animals\r\nPATH=/a/c\r\nSHORTCUT=\r\n"
                          "AREA=apple\r\nGROUP=Travel\r\nPATH=/t/a\r\nSHORTCUT=\r\n"
                          "AREA=Banana\r\nGROUP=Travel\r\nPATH=/t/b\r\nSHORTCUT=\r\n"
                          "AREA=Zoo\r\nGROUP=travel\r\nPATH=/t/z\r\nSHORTCUT=\r\n"
                          "AREA=Kids\r\nGROUP=Family\r\nPATH=/f/k\r\nSHORTCUT=\r\n";

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void firstRunIsQuietAndEmpty()
    {
        ProgramHarness harness;
        harness.start();
        frmMain &main = harness.main();

        QVERIFY(harness.splashWasModal());
        QVERIFY(harness.messages.shown.isEmpty());
        QCOMPARE(main.windowTitle(), QStringLiteral("Shelfmaster v1.4 - marrowby production 1999"));
        QCOMPARE(harness.program().viewer().windowTitle(), QStringLiteral("no image loaded"));
        QCOMPARE(main.cmbCatalog->count(), 0);
        QCOMPARE(harness.program().palette().groupCount(), 0);
        QCOMPARE(main.statusPanel2->text(), QString()); // no options file: nothing read
        QVERIFY(main.isVisible());
        QVERIFY(harness.program().viewer().isVisible());
        QVERIFY(harness.program().palette().isVisible());
    }

    void groupsBecomeSelectorItemsAndLabels()
    {
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), kGroups);
        harness.writeProgramFile(QStringLiteral("MSAREA.INI"), kAreas);
        harness.start();
        frmMain &main = harness.main();
        frmQuickGroup &palette = harness.program().palette();

        QCOMPARE(main.cmbCatalog->count(), 3);
        QCOMPARE(main.cmbCatalog->currentIndex(), -1);
        QCOMPARE(main.lstArea->count(), 0);
        QCOMPARE(palette.findChildren<QLabel *>(QStringLiteral("lblGroup")).size(), 4); // and the template
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(palette.groupLabel(i)->text(), main.cmbCatalog->itemText(i - 1));
            QCOMPARE(palette.groupLabel(i)->property("tag").toString(), QString::number(i));
        }

        // Areas are listed sorted without regard to case, by the selector and by the labels.
        main.cmbCatalog->setCurrentIndex(1);
        QCOMPARE(areaItems(main), (QStringList{"apple", "Banana", "cherry"}));
        QTest::mouseClick(palette.groupLabel(3), Qt::LeftButton);
        QCOMPARE(main.cmbCatalog->currentIndex(), 2);
        QCOMPARE(areaItems(main), QStringList{"Kids"});
        QTest::mouseClick(palette.groupLabel(1), Qt::RightButton);
        QCOMPARE(main.cmbCatalog->currentIndex(), 2);
    }

    void badGroupLineIsReportedOnceAndTheRestKept()
    {
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"),
                                 "GROUP=One\r\n\r\nGROUP=Two\r\nGROUP=Three\r\n");
        harness.start();

        QCOMPARE(harness.messages.shown.size(), 1);
        QCOMPARE(harness.program().palette().groupCount(), 3);
    }

    void windowsShareTheScreen_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::newRow("full hd") << QRect(0, 0, 1920, 1080);
        QTest::newRow("odd width") << QRect(0, 0, 1921, 1001);
        QTest::newRow("offset work area") << QRect(40, 24, 1280, 776);
    }

    void windowsShareTheScreen()
    {
        QFETCH(QRect, screen);
        ProgramHarness harness(screen);
        harness.start();
        const QRect viewer = harness.program().viewer().frameGeometry();
        const QRect main = harness.main().frameGeometry();
        const QRect palette = harness.program().palette().frameGeometry();

        QCOMPARE(viewer.topLeft(), screen.topLeft());
        QCOMPARE(viewer.height(), screen.height());
        QVERIFY(qAbs(viewer.width() - screen.width() / 2) <= 1);
        QCOMPARE(main.left(), viewer.right() + 1);
        QCOMPARE(main.top(), screen.top());
        QCOMPARE(main.width(), viewer.width());
        QCOMPARE(palette.left(), main.left());
        QCOMPARE(palette.top(), main.bottom() + 1);
        QCOMPARE(palette.width(), main.width());
        QVERIFY(qAbs(palette.bottom() - screen.bottom()) <= 1);
    }

    void exitAsksFirst_data()
    {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("no") << MessageAnswer::No << false;
        QTest::newRow("yes") << MessageAnswer::Yes << true;
    }

    void exitAsksFirst()
    {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, ends);
        ProgramHarness harness;
        harness.start();
        frmMain &main = harness.main();
        QSignalSpy ended(&main, &frmMain::programEnded);

        harness.messages.answerNext(answer);
        auto *exit = main.findChild<QAction *>(QStringLiteral("mnuExit"));
        QVERIFY(exit);
        QCOMPARE(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
        exit->trigger();

        QCOMPARE(harness.messages.shown.size(), 1);
        QCOMPARE(harness.messages.shown.first(),
                 (platform::MessageRequest{"Exit", "Are you sure that you wan't to quit?",
                                           MessageIcon::Question, MessageButtons::YesNo,
                                           MessageAnswer::Yes}));
        QCOMPARE(ended.size(), ends ? 1 : 0);
        QCOMPARE(main.isVisible(), !ends);
    }

    void closeBoxEndsWithoutAsking()
    {
        ProgramHarness harness;
        harness.start();
        QSignalSpy ended(&harness.main(), &frmMain::programEnded);
        harness.main().close();
        QCOMPARE(ended.size(), 1);
        QVERIFY(harness.messages.shown.isEmpty());
    }

    void minimisingHidesTheCompanions()
    {
        ProgramHarness harness;
        harness.start();
        frmMain &main = harness.main();
        QWidget &viewer = harness.program().viewer();
        QWidget &palette = harness.program().palette();

        main.showMinimized();
        QVERIFY(!viewer.isVisible());
        QVERIFY(!palette.isVisible());

        main.showNormal();
        QVERIFY(viewer.isVisible());
        QVERIFY(palette.isVisible());

        // Any later resize shows a companion that was hidden by other means.
        viewer.hide();
        main.resize(main.width() + 20, main.height());
        QVERIFY(viewer.isVisible());
    }
};

SHELFMASTER_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

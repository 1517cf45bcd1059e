#include "app/MainLayout.h"
#include "app/StartupLayout.h"
#include "platform/Screen.h"
#include "SettingsFixture.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QTabWidget>

using namespace app;

class TestLayout : public QObject {
    Q_OBJECT

private:
    static MainControls withFixedHeights()
    {
        MainControls controls = designedMainControls();
        controls.Drive1.height = 315;
        controls.cmbCatalog.height = 315;
        return controls;
    }

private slots:
    void laysOutWorkedExample()
    {
        MainControls c = withFixedHeights();
        layOutMainControls(c, {6000, 5000, 360, 255});
        QCOMPARE(c.File1, (Box{0, 360, 2700, 2750}));
        QCOMPARE(c.Drive1, (Box{0, 3165, 2700, 315}));
        QCOMPARE(c.Dir1, (Box{0, 3530, 2700, 1370}));
        QCOMPARE(c.cmbCatalog, (Box{2750, 390, 3200, 315}));
        QCOMPARE(c.lstArea, (Box{2750, 720, 3200, 4020}));
    }

    void skipsNegativeSizes()
    {
        MainControls c = withFixedHeights();
        layOutMainControls(c, {150, 400, 360, 255});
        const MainControls designed = withFixedHeights();
        // Right column: 150 * 0.55 - 100 < 0 keeps the designed widths, but still moves.
        QCOMPARE(c.cmbCatalog.width, designed.cmbCatalog.width);
        QCOMPARE(c.lstArea.width, designed.lstArea.width);
        QCOMPARE(c.lstArea.left, float(150 * 0.45 + 50));
        // Heights that would be negative keep theirs; the rest is laid out.
        QCOMPARE(c.lstArea.height, designed.lstArea.height);
        QCOMPARE(c.Dir1.height, designed.Dir1.height);
        QCOMPARE(c.File1.height, float(400 * 0.55));
        QCOMPARE(c.Drive1.top, float(220 + 315 + 100));
    }

    void maximisingKeepsTheRatio()
    {
        MainControls c = withFixedHeights();
        layOutMainControls(c, {20000, 12000, 360, 255});
        QCOMPARE(c.File1.width / (c.lstArea.width + 100), 45.0f / 55.0f);
        QCOMPARE(c.lstArea.left + c.lstArea.width, 20000.0f - 50);
    }

    void placesWindowsAtStartUp_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("half");
        QTest::newRow("even width") << 28800.0 << 16200.0 << 14400.0;
        QTest::newRow("odd width") << 28815.0 << 16200.0 << 14407.0;
    }
    void placesWindowsAtStartUp()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(double, half);
        const StartupPlacement p = startupPlacement(width, height, 2505);
        QCOMPARE(p.viewer, QRectF(0, 0, half, height));
        QCOMPARE(p.main, QRectF(half, 0, half, height - 2505));
        QCOMPARE(p.palette, QRectF(half, height - 2505, half, 2505));
    }

    // Each step names a menu entry or button to click, "name=index" the tab a tab widget shows, or
    // else a file to click in the main window.
    void everyTextFitsItsControl_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("main window, preview, palette") << QStringList{};
        QTest::newRow("settings") << QStringList{"mnuSettings"};
        QTest::newRow("settings, options") << QStringList{"mnuSettings", "SSTab1=1"};
        QTest::newRow("settings, exit") << QStringList{"mnuSettings", "SSTab1=2"};
        QTest::newRow("editors adding") << QStringList{"mnuSettings", "btnCatalogAdd", "btnAreaAdd"};
        QTest::newRow("editors modifying") << QStringList{"mnuSettings", "btnCatalogModify", "btnAreaModify"};
        QTest::newRow("editors removing") << QStringList{"mnuSettings", "btnCatalogRemove", "btnAreaRemove"};
        QTest::newRow("create directory") << QStringList{"mnuSettings", "btnAreaAdd", "cmdCreateDir"};
        QTest::newRow("rename") << QStringList{"a.jpg", "mnuRename"};
        QTest::newRow("about") << QStringList{"mnuAbout"};
    }
    void everyTextFitsItsControl()
    {
        QFETCH(QStringList, steps);
        SettingsFixture fixture("GROUP=Animals\r\n", areaRecord("Cats", "Animals", "$ROOT"), {}, {"a.jpg"});
        for (const QString &step : steps) {
            const QString name = step.section(QLatin1Char('='), 0, 0);
            QObject *target = nullptr;
            for (QWidget *window : QApplication::topLevelWidgets())
                target = target ? target : window->findChild<QObject *>(name);
            if (auto *action = qobject_cast<QAction *>(target))
                action->trigger();
            else if (auto *button = qobject_cast<QAbstractButton *>(target))
                button->click();
            else if (auto *tabs = qobject_cast<QTabWidget *>(target))
                tabs->setCurrentIndex(step.section(QLatin1Char('='), 1).toInt());
            else
                fixture.harness.clickFile(step);
        }
        QCoreApplication::processEvents(); // the status bar lays its panels out when idle
        QStringList clipped;
        for (QWidget *control : QApplication::allWidgets()) {
            const int needed = platform::textWidthNeeded(control);
            if (control->isVisible() && control->width() < needed)
                clipped << QStringLiteral("%1.%2 %3 < %4")
                               .arg(control->window()->objectName(), control->objectName())
                               .arg(control->width())
                               .arg(needed);
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
    }
};

SHELFMASTER_TEST_MAIN(TestLayout)
#include "tst_layout.moc"

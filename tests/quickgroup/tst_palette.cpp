#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "platform/Screen.h"
#include "quickgroup/frmQuickGroup.h"

#include <QLabel>
#include <QTimer>

using quickgroup::LabelPlace;

namespace {

const QByteArray kGroups = "GROUP=Animals\r\nGROUP=Travel\r\nGROUP=Family\r\n";

void activate(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

} // namespace

class TestPalette : public QObject {
    Q_OBJECT

private slots:
    void startupShowsTheResizeLayout()
    {
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), kGroups);
        harness.start();
        frmQuickGroup &palette = harness.program().palette();

        QCOMPARE(palette.labelPlace(1).top, 0.0f);
        QCOMPARE(palette.labelPlace(1).left, 115.0f);
        for (int i = 1; i <= palette.groupCount(); ++i) {
            const LabelPlace place = palette.labelPlace(i);
            QCOMPARE(palette.groupLabel(i)->pos(), QPoint(platform::twipsToPixels(place.left),
                                                          platform::twipsToPixels(place.top)));
        }
    }

    void narrowingWrapsTheLabels()
    {
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), kGroups);
        harness.start();
        frmQuickGroup &palette = harness.program().palette();

        // Just wide enough for the first label: every label gets a row of its own.
        const float firstEnd = palette.labelPlace(1).left + palette.labelPlace(1).width;
        palette.resize(platform::twipsToPixels(firstEnd) + 1, palette.height());
        QCOMPARE(palette.labelPlace(1).top, 0.0f);
        QCOMPARE(palette.labelPlace(2), (LabelPlace{100, 300, palette.labelPlace(2).width}));
        QCOMPARE(palette.labelPlace(3).top, 600.0f);
        QCOMPARE(palette.groupLabel(2)->pos(),
                 QPoint(platform::twipsToPixels(100), platform::twipsToPixels(300)));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(palette.groupLabel(i)->isVisible());
    }

    void snapTimerRunsOnlyWhileActive()
    {
        ProgramHarness harness;
        harness.start();
        frmQuickGroup &palette = harness.program().palette();

        activate(&palette);
        QTRY_VERIFY(palette.timLocation->isActive());
        QCOMPARE(palette.timLocation->interval(), 250);
        activate(&harness.main());
        QTRY_VERIFY(!palette.timLocation->isActive());
    }

    void snapsWhenDraggedNearItsPlace_data()
    {
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::addColumn<bool>("snaps");
        QTest::newRow("180 right and below") << 180.0 << 180.0 << true;
        QTest::newRow("180 left and above") << -180.0 << -180.0 << true;
        QTest::newRow("200 right") << 200.0 << 0.0 << false;
        QTest::newRow("200 below") << 0.0 << 200.0 << false;
        QTest::newRow("far away") << 3000.0 << 3000.0 << false;
    }

    void snapsWhenDraggedNearItsPlace()
    {
        QFETCH(double, dx);
        QFETCH(double, dy);
        QFETCH(bool, snaps);
        // 20 twips to the pixel, so the offsets are whole pixels.
        ProgramHarness harness(QRect(0, 0, 1600, 1000), 72.0);
        harness.start();
        frmQuickGroup &palette = harness.program().palette();
        const QRectF home = platform::outerGeometryTwips(&palette);

        platform::moveOuterTwips(&palette, home.left() + dx, home.top() + dy);
        const QPointF moved = platform::outerGeometryTwips(&palette).topLeft();
        QCOMPARE(moved, home.topLeft() + QPointF(dx, dy));
        activate(&palette);
        if (snaps) {
            QTRY_COMPARE_WITH_TIMEOUT(platform::outerGeometryTwips(&palette).topLeft(),
                                      home.topLeft(), 2000);
        } else {
            QTRY_VERIFY(palette.timLocation->isActive());
            QTest::qWait(600);
            QCOMPARE(platform::outerGeometryTwips(&palette).topLeft(), moved);
        }
        QCOMPARE(platform::outerGeometryTwips(&palette).size(), home.size());
    }

    void handPointerOverLabels()
    {
        ProgramHarness harness;
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), kGroups);
        harness.start();
        frmQuickGroup &palette = harness.program().palette();
        QVERIFY(QTest::qWaitForWindowExposed(&palette));

        QTest::mouseMove(palette.groupLabel(2), QPoint(2, 2));
        QTRY_COMPARE(palette.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(palette.cursor().hotSpot(), QPoint(12, 1));
        QTest::mouseMove(&palette, QPoint(palette.width() - 2, palette.height() - 2));
        QTRY_COMPARE(palette.cursor().shape(), Qt::ArrowCursor);
    }
};

SHELFMASTER_TEST_MAIN(TestPalette)
#include "tst_palette.moc"

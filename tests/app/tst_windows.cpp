#include "SettingsFixture.h"
#include "about/frmAbout.h"
#include "app/MainLayout.h"
#include "app/StartupLayout.h"
#include "platform/Desktop.h"
#include "quickgroup/PaletteLayout.h"

#include <QSignalSpy>
#include <QTabWidget>

namespace {

// Clicks a menu entry, button or label of any window by name, or shows a tab: "name=index".
void step(const QString &step)
{
    const QString name = step.section('=', 0, 0);
    QObject *target = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) target = target ? target : window->findChild<QObject *>(name);
    if (auto *action = qobject_cast<QAction *>(target)) action->trigger();
    else if (auto *tabs = qobject_cast<QTabWidget *>(target)) tabs->setCurrentIndex(step.section('=', 1).toInt());
    else if (auto *widget = qobject_cast<QWidget *>(target)) QTest::mouseClick(widget, Qt::LeftButton);
    else qFatal("no control %s", qPrintable(name));
}

struct Layout { app::ClientSize client; app::MainControls controls; };
struct Flow { QList<float> widths; float paletteWidth; QList<quickgroup::LabelPlace> created; };
struct Snap { QPointF offset; bool snaps; };
// The about box's link or the help document (missing or not), whether the desktop opens it, the
// numbers of the failures reported.
struct Opening { QString what; bool opens; QString reported; };

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    // The main window's controls in twips: 45 % of the width to the left column, 55 % to the right;
    // a size that would be negative keeps its designed value.
    void laysOutTheMainWindow_data()
    {
        QTest::addColumn<Layout>("layout");
        QTest::newRow("worked example") << Layout{{6000, 5000, 360, 255},
            {{0, 360, 2700, 2750}, {0, 3165, 2700, 315}, {0, 3530, 2700, 1370}, {2750, 390, 3200, 315}, {2750, 720, 3200, 4020}}};
        QTest::newRow("too small: negative sizes skipped") << Layout{{150, 400, 360, 255},
            {{0, 360, 67.5f, 220}, {0, 635, 67.5f, 315}, {0, 1000, 67.5f, 1665}, {117.5f, 390, 2775, 315}, {117.5f, 720, 2775, 3960}}};
    }
    void laysOutTheMainWindow()
    {
        QFETCH(Layout, layout);
        app::MainControls laidOut = app::designedMainControls();
        app::layOutMainControls(laidOut, layout.client);
        QCOMPARE(laidOut, layout.controls);
    }

    // Viewer on the left half, main window on the right half, the palette under it; an odd twip
    // goes to neither half.
    void placesWindowsAtStartUp()
    {
        const app::StartupPlacement p = app::startupPlacement(28815, 16200, 2505);
        QCOMPARE((QList<QRectF>{p.viewer, p.main, p.palette}),
                 (QList<QRectF>{{0, 0, 14407, 16200}, {14407, 0, 14407, 13695}, {14407, 13695, 14407, 2505}}));
    }

    // Labels created as the groups are read start at top 45, those laid out again at top 0.
    void flowsThePaletteLabels_data()
    {
        QTest::addColumn<Flow>("flow");
        QTest::newRow("one row") << Flow{{600, 400, 500}, 5190, {{115, 45, 600}, {815, 45, 400}, {1315, 45, 500}}};
        QTest::newRow("second label wraps") << Flow{{600, 400}, 1000, {{115, 45, 600}, {100, 345, 400}}};
        QTest::newRow("ending exactly at the edge fits") << Flow{{600, 400}, 1215, {{115, 45, 600}, {815, 45, 400}}};
        QTest::newRow("too wide for any row") << Flow{{3000, 3000, 100}, 1000, {{100, 345, 3000}, {100, 645, 3000}, {100, 945, 100}}};
    }
    void flowsThePaletteLabels()
    {
        QFETCH(Flow, flow);
        quickgroup::FlowLayout load(quickgroup::kCreatedFirstRowTop);
        QList<quickgroup::LabelPlace> placed;
        for (const float width : flow.widths) placed << load.place(width, flow.paletteWidth);
        QCOMPARE(placed, flow.created);
        for (auto &place : flow.created) place.top -= 45;
        QCOMPARE(quickgroup::resizeLayout(flow.widths, flow.paletteWidth), flow.created);
    }

    // The palette snaps to its place under the main window (left 14400, 13695 high) from closer
    // than 200 twips; in the program once it is active, dragged by whole pixels of 15 twips.
    void snapsThePalette_data()
    {
        QTest::addColumn<Snap>("snap");
        QTest::newRow("150 right and below") << Snap{{150, 150}, true};
        QTest::newRow("199 left and above") << Snap{{-199, -199}, true};
        QTest::newRow("exactly 200 right") << Snap{{200, 0}, false};
        QTest::newRow("exactly 200 above") << Snap{{0, -200}, false};
        QTest::newRow("210 below") << Snap{{0, 210}, false};
        QTest::newRow("far away") << Snap{{-14400, -13695}, false};
    }
    void snapsThePalette()
    {
        QFETCH(Snap, snap);
        const QPointF home(14400, 13695), offset = snap.offset;
        QCOMPARE(quickgroup::snapPosition(home + offset, 14400, 13695), snap.snaps ? std::optional(home) : std::nullopt);
        if (std::fmod(offset.x(), 15) || std::fmod(offset.y(), 15)) return; // between pixels
        SettingsFixture f;
        frmQuickGroup &palette = f.harness.program().palette();
        const QRectF start = platform::outerGeometryTwips(&palette);
        platform::moveOuterTwips(&palette, start.left() + offset.x(), start.top() + offset.y());
        QCOMPARE(platform::outerGeometryTwips(&palette), start.translated(offset));
        QSignalSpy looked(palette.timLocation, &QTimer::timeout);
        palette.activateWindow();
        QTRY_VERIFY(!looked.isEmpty());
        QTRY_COMPARE(platform::outerGeometryTwips(&palette), snap.snaps ? start : start.translated(offset));
    }

    // The check that no label or button clips its text, in every window and mode, after each step:
    // a menu entry, button or label to click, "name=index" a tab to show, "file" a file to click.
    void everyTextFitsItsControl_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("main window, preview, palette, settings") << QStringList{"file", "mnuSettings", "SSTab1=1", "SSTab1=2"};
        QTest::newRow("editors adding, create directory") << QStringList{"mnuSettings", "btnCatalogAdd", "btnAreaAdd", "cmdCreateDir"};
        QTest::newRow("editors modifying") << QStringList{"mnuSettings", "btnCatalogModify", "btnAreaModify"};
        QTest::newRow("editors removing") << QStringList{"mnuSettings", "btnCatalogRemove", "btnAreaRemove"};
        QTest::newRow("rename, about") << QStringList{"file", "mnuRename", "mnuAbout"};
    }
    void everyTextFitsItsControl()
    {
        QFETCH(QStringList, steps);
        SettingsFixture f;
        for (const QString &name : steps) {
            name == "file" ? f.harness.clickFile("a.jpg") : step(name);
            QCoreApplication::processEvents(); // the status bar lays its panels out when idle
            QStringList clipped;
            for (QWidget *control : QApplication::allWidgets())
                if (control->isVisible() && control->width() < platform::textWidthNeeded(control)) clipped << control->objectName();
            QVERIFY2(clipped.isEmpty(), qPrintable("after " + name + ": " + clipped.join(", ")));
        }
    }

    // The about box's link and the help document are handed to the desktop; what cannot be opened
    // is reported by its number.
    void opensThroughTheDesktop_data()
    {
        QTest::addColumn<Opening>("opening");
        QTest::newRow("link") << Opening{"link", true, ""};
        QTest::newRow("link, nothing opens it") << Opening{"link", false, "75"};
        QTest::newRow("help") << Opening{"help", true, ""};
        QTest::newRow("help missing, not handed over") << Opening{"missing help", true, "53"};
    }
    void opensThroughTheDesktop()
    {
        QFETCH(Opening, opening);
        QList<QUrl> opened;
        platform::setUrlOpener([&](const QUrl &url) { opened << url; return opening.opens; });
        SettingsFixture f;
        const QString help = f.harness.programDir() + "/Help.htm";
        if (opening.what == "help") testsupport::writeBytes(help, "<p>help</p>");
        for (const QString &name : opening.what == "link" ? QStringList{"mnuAbout", "Label2"} : QStringList{"mnuHelpTopics"}) step(name);
        platform::setUrlOpener({});
        QCOMPARE(opened, opening.what == "missing help" ? QList<QUrl>()
                         : QList<QUrl>{opening.what == "link" ? QUrl(frmAbout::webPage) : QUrl::fromLocalFile(help)});
        QCOMPARE(f.harness.messages.texts().replaceInStrings(QRegularExpression(" .*"), "").join(' '), opening.reported);
    }
};

SHELFMASTER_TEST_MAIN(TestWindows)
#include "tst_windows.moc"

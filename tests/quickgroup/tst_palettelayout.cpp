#include "quickgroup/PaletteLayout.h"
#include "TestSupport.h"

using namespace quickgroup;

Q_DECLARE_METATYPE(QList<quickgroup::LabelPlace>)
Q_DECLARE_METATYPE(std::optional<QPointF>)

class TestPaletteLayout : public QObject {
    Q_OBJECT

private slots:
    void flows_data()
    {
        QTest::addColumn<QList<float>>("widths");
        QTest::addColumn<float>("paletteWidth");
        QTest::addColumn<QList<LabelPlace>>("created");
        QTest::addColumn<QList<LabelPlace>>("resized");

        QTest::newRow("one row") << QList<float>{600, 400, 500} << 5190.0f
                                 << QList<LabelPlace>{{115, 45, 600}, {815, 45, 400}, {1315, 45, 500}}
                                 << QList<LabelPlace>{{115, 0, 600}, {815, 0, 400}, {1315, 0, 500}};
        QTest::newRow("second label wraps") << QList<float>{600, 400} << 1000.0f
                                            << QList<LabelPlace>{{115, 45, 600}, {100, 345, 400}}
                                            << QList<LabelPlace>{{115, 0, 600}, {100, 300, 400}};
        QTest::newRow("ending exactly at the edge fits") << QList<float>{600, 400} << 1215.0f
                                                         << QList<LabelPlace>{{115, 45, 600}, {815, 45, 400}}
                                                         << QList<LabelPlace>{{115, 0, 600}, {815, 0, 400}};
        QTest::newRow("too wide for any row")
            << QList<float>{3000, 3000, 100} << 1000.0f
            << QList<LabelPlace>{{100, 345, 3000}, {100, 645, 3000}, {100, 945, 100}}
            << QList<LabelPlace>{{100, 300, 3000}, {100, 600, 3000}, {100, 900, 100}};
    }
    void flows()
    {
        QFETCH(QList<float>, widths);
        QFETCH(float, paletteWidth);
        QFETCH(QList<LabelPlace>, created);
        QFETCH(QList<LabelPlace>, resized);
        FlowLayout load(kCreatedFirstRowTop);
        QList<LabelPlace> placed;
        for (const float width : widths)
            placed.append(load.place(width, paletteWidth));
        QCOMPARE(placed, created);
        QCOMPARE(resizeLayout(widths, paletteWidth), resized);
    }

    void snaps_data()
    {
        QTest::addColumn<QPointF>("palette");
        QTest::addColumn<bool>("snaps");
        // Docking point: main window at left 14400, 13695 high.
        QTest::newRow("150 right and below") << QPointF(14550, 13845) << true;
        QTest::newRow("199 left and above") << QPointF(14201, 13496) << true;
        QTest::newRow("exactly 200 right") << QPointF(14600, 13695) << false;
        QTest::newRow("exactly 200 above") << QPointF(14400, 13495) << false;
        QTest::newRow("far away") << QPointF(0, 0) << false;
    }
    void snaps()
    {
        QFETCH(QPointF, palette);
        QFETCH(bool, snaps);
        const std::optional<QPointF> target = snapPosition(palette, 14400, 13695);
        QCOMPARE(target.has_value(), snaps);
        if (snaps)
            QCOMPARE(*target, QPointF(14400, 13695));
    }
};

SHELFMASTER_TEST_MAIN(TestPaletteLayout)
#include "tst_palettelayout.moc"

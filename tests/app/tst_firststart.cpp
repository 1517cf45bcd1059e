#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/DirListBox.h"
#include "fileops/frmCreateDir.h"
#include "settings/AreaEditor.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QListWidget>

using testsupport::folderEntries;

// A user's first session: no catalogue files at all, groups and areas made in the settings
// dialog, a picture sorted, a group renamed and an area deleted.
class TestFirstStart : public QObject {
    Q_OBJECT

    static void openFolder(SettingsFixture &f, const QString &relative)
    {
        QVERIFY(!f.settings().FrameSubjectSettings->dirArea->setPath(f.folder(relative)));
    }

    static void addGroup(SettingsFixture &f, const QString &name)
    {
        f.click("btnCatalogAdd");
        f.type("txtCatalogAddName", name);
        f.click("btnCatalogAddSave");
    }

    static void addArea(SettingsFixture &f, const QString &group, const QString &name)
    {
        f.choose("cmbAreaGroup", group);
        f.type("txtAreaAdd", name);
        f.click("btnAreaSave");
    }

private slots:
    void setUpSortRenameAndDelete()
    {
        SettingsFixture f(QStringList{"a.jpg", "b.jpg"});
        QDir().mkpath(f.folder("areas/cats"));
        QDir().mkpath(f.folder("areas/dogs"));
        QVERIFY(!QFileInfo::exists(f.harness.programDir() + "/MSAREA.INI"));

        f.main().findChild<QAction *>(QStringLiteral("btnSettings"))->trigger();
        addGroup(f, "Pets");
        addGroup(f, "Trips");
        f.click("btnAreaAdd");
        openFolder(f, "areas/cats");
        addArea(f, "Pets", "Cats");
        openFolder(f, "areas/dogs");
        addArea(f, "Pets", "Dogs");
        openFolder(f, "areas");
        f.click("cmdCreateDir");
        f.type("txtName", "Beach");
        f.click("cmdCreate");
        QTRY_VERIFY(!f.settings().findChild<frmCreateDir *>());
        addArea(f, "Trips", "Beach");
        f.click("cmdExitSettings");
        QVERIFY(f.harness.messages.shown.isEmpty());

        f.main().cmbCatalog->setCurrentIndex(0);
        QCOMPARE(f.listedAreas(), (QStringList{"Cats", "Dogs"}));
        f.harness.clickFile("a.jpg");
        const QRect cats = f.main().lstArea->visualItemRect(f.main().lstArea->item(0));
        QTest::mouseClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, cats.center());
        QTest::mouseDClick(f.main().lstArea->viewport(), Qt::LeftButton, {}, cats.center());
        QCOMPARE(folderEntries(f.folder("areas/cats")), QStringList{"a.jpg"});
        QCOMPARE(f.harness.listedFiles(), QStringList{"b.jpg"});

        f.main().findChild<QAction *>(QStringLiteral("btnSettings"))->trigger();
        f.click("btnCatalogModify");
        f.choose("cmbCatalogModifyName", "Pets");
        f.type("txtCatalogModifyNewName", "Animals");
        f.click("btnCatalogModifyRename");
        f.click("btnAreaRemove");
        f.choose("cmbAreaGroup", "Animals");
        f.choose("cmbArea", "Dogs");
        f.click("btnAreaDelete");
        f.click("cmdExitSettings");

        QCOMPARE(f.programFile("MSGROUP.INI"), QByteArray("GROUP=Animals\r\nGROUP=Trips\r\n"));
        QCOMPARE(f.programFile("MSAREA.INI"), areaRecord("Cats", "Animals", "$ROOT/areas/cats") +
                                                  areaRecord("Beach", "Trips", "$ROOT/areas/Beach"));
        QCOMPARE(f.groupSelector(), (QStringList{"Animals", "Trips"}));
        QCOMPARE(f.paletteLabels(), (QStringList{"Animals", "Trips"}));
        QCOMPARE(f.main().cmbCatalog->currentText(), QStringLiteral("Animals"));
        QCOMPARE(f.listedAreas(), QStringList{"Cats"});
        QVERIFY(QFileInfo(f.folder("areas/dogs")).isDir());
        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first().title, QStringLiteral("Move file"));
    }
};

SHELFMASTER_TEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"

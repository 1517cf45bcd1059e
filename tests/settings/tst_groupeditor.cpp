#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "settings/frmSettings.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

using platform::MessageIcon;
using platform::MessageRequest;

namespace {

const QByteArray kGroups = "GROUP=Animals\r\nGROUP=Travel\r\n";
const QByteArray kCats = areaRecord("Cats", "Animals", "$ROOT/areas/cats");
// Another group in all but letter case: renaming or deleting "Animals" leaves it alone.
const QByteArray kKittens = areaRecord("Kittens", "animals", "$ROOT/areas/kittens");
const QByteArray kBeach = areaRecord("Beach", "Travel", "$ROOT/areas/beach");
const QByteArray kDogs = areaRecord("Dogs", "Animals", "$ROOT/areas/dogs", "F2");
const QByteArray kAreas = kCats + kKittens + kBeach + kDogs;

const QStringList kControls{"btnCatalogAdd",          "btnCatalogModify",       "btnCatalogRemove",
                            "lblCatalogAddName",      "txtCatalogAddName",      "cmbCatalogModifyName",
                            "txtCatalogModifyNewName", "btnCatalogAddSave",     "btnCatalogRemoveDelete",
                            "btnCatalogModifyRename", "btnCatalogSettingsCancel"};

struct Fixture : SettingsFixture {
    explicit Fixture(const QByteArray &groups = kGroups)
        : SettingsFixture(groups, kAreas, {"areas/cats", "areas/beach"})
    {
        openSettings();
    }

    QStringList shownControls()
    {
        QStringList shown;
        for (const QString &name : kControls) {
            if (!control(name.toLatin1())->isHidden())
                shown << name + (control(name.toLatin1())->isEnabled() ? "" : " (disabled)");
        }
        return shown;
    }
    QStringList areaEditorGroups()
    {
        auto *groups = control<QComboBox>("cmbAreaGroup");
        QStringList names;
        for (int i = 0; i < groups->count(); ++i)
            names << groups->itemText(i);
        return names;
    }
    bool idle() { return control("btnCatalogSettingsCancel")->isEnabled() == false; }
};

MessageRequest duplicate(const QString &name)
{
    return {"Error!", name + " already exists, the name must be unique", MessageIcon::Information};
}

} // namespace

class TestGroupEditor : public QObject {
    Q_OBJECT

private slots:
    void modes_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("shown");
        const QStringList idle{"btnCatalogAdd", "btnCatalogModify", "btnCatalogRemove",
                               "btnCatalogSettingsCancel (disabled)"};
        const QStringList adding{"btnCatalogAdd", "btnCatalogModify (disabled)", "btnCatalogRemove (disabled)",
                                 "lblCatalogAddName", "txtCatalogAddName", "btnCatalogAddSave",
                                 "btnCatalogSettingsCancel"};
        const QStringList renaming{"btnCatalogAdd (disabled)", "btnCatalogModify", "btnCatalogRemove (disabled)",
                                   "cmbCatalogModifyName", "txtCatalogModifyNewName", "btnCatalogModifyRename",
                                   "btnCatalogSettingsCancel"};
        const QStringList deleting{"btnCatalogAdd (disabled)", "btnCatalogModify (disabled)", "btnCatalogRemove",
                                   "lblCatalogAddName", "cmbCatalogModifyName", "btnCatalogRemoveDelete",
                                   "btnCatalogSettingsCancel"};
        QTest::newRow("fresh") << QStringList{} << idle;
        QTest::newRow("adding") << QStringList{"btnCatalogAdd"} << adding;
        QTest::newRow("renaming") << QStringList{"btnCatalogModify"} << renaming;
        QTest::newRow("deleting") << QStringList{"btnCatalogRemove"} << deleting;
        QTest::newRow("other modes refused") << QStringList{"btnCatalogModify", "btnCatalogAdd", "btnCatalogRemove"}
                                             << renaming;
        QTest::newRow("cancel") << QStringList{"btnCatalogRemove", "btnCatalogSettingsCancel"} << idle;
        QTest::newRow("save with no name") << QStringList{"btnCatalogAdd", "btnCatalogAddSave"} << idle;
        QTest::newRow("rename with no group chosen") << QStringList{"btnCatalogModify", "btnCatalogModifyRename"}
                                                     << idle;
        QTest::newRow("delete with no group chosen") << QStringList{"btnCatalogRemove", "btnCatalogRemoveDelete"}
                                                     << idle;
    }

    void modes()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, shown);
        Fixture f;
        for (const QString &name : clicks)
            f.click(name.toLatin1());
        QCOMPARE(f.shownControls(), shown);
        QCOMPARE(f.control<QLineEdit>("txtCatalogModifyNewName")->text(), QStringLiteral("New name"));
        QCOMPARE(f.programFile("MSGROUP.INI"), kGroups);
        QCOMPARE(f.programFile("MSAREA.INI"), kAreas);
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    void addedGroupComesLast()
    {
        Fixture f;
        f.main().cmbCatalog->setCurrentIndex(1);
        f.click("btnAreaAdd");
        QCOMPARE(f.areaEditorGroups(), (QStringList{"Animals", "Travel"}));
        f.click("btnCatalogAdd");
        f.type("txtCatalogAddName", "Flowers");
        f.click("btnCatalogAddSave");

        QVERIFY(f.idle());
        QCOMPARE(f.programFile("MSGROUP.INI"), kGroups + "GROUP=Flowers\r\n");
        QCOMPARE(f.groupSelector(), (QStringList{"Animals", "Travel", "Flowers"}));
        QCOMPARE(f.paletteLabels(), (QStringList{"Animals", "Travel", "Flowers"}));
        QCOMPARE(f.main().cmbCatalog->currentText(), QStringLiteral("Travel"));
        QCOMPARE(f.listedAreas(), QStringList{"Beach"});
        QCOMPARE(f.areaEditorGroups(), QStringList());
        f.click("btnCatalogAdd");
        QCOMPARE(f.control<QLineEdit>("txtCatalogAddName")->text(), QString());
    }

    void duplicateNameIsRefused_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("name");
        QTest::newRow("add") << QByteArray("btnCatalogAdd") << QByteArray("txtCatalogAddName")
                             << QByteArray("btnCatalogAddSave") << "TRAVEL";
        QTest::newRow("rename") << QByteArray("btnCatalogModify") << QByteArray("txtCatalogModifyNewName")
                                << QByteArray("btnCatalogModifyRename") << "travel";
        QTest::newRow("rename in another case") << QByteArray("btnCatalogModify")
                                                << QByteArray("txtCatalogModifyNewName")
                                                << QByteArray("btnCatalogModifyRename") << "ANIMALS";
    }

    void duplicateNameIsRefused()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArray, box);
        QFETCH(QByteArray, button);
        QFETCH(QString, name);
        Fixture f;
        f.click(mode);
        if (mode == "btnCatalogModify")
            f.choose("cmbCatalogModifyName", "Animals");
        f.type(box, name);
        f.click(button);

        QCOMPARE(f.harness.messages.shown, QList<MessageRequest>{duplicate(name)});
        QVERIFY(f.idle());
        QCOMPARE(f.programFile("MSGROUP.INI"), kGroups);
        QCOMPARE(f.programFile("MSAREA.INI"), kAreas);
        // The refused name waits in the add box; the new-name box starts again from its first text.
        f.click(mode);
        QCOMPARE(f.control<QLineEdit>(box)->text(), mode == "btnCatalogAdd" ? name : QStringLiteral("New name"));
    }

    void renameCarriesOverToTheGroupsAreas_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::newRow("typed") << "Pets";
        QTest::newRow("the box's first text") << "New name";
    }

    void renameCarriesOverToTheGroupsAreas()
    {
        QFETCH(QString, newName);
        Fixture f;
        f.main().cmbCatalog->setCurrentIndex(0);
        f.click("btnAreaModify");
        f.click("btnCatalogModify");
        f.choose("cmbCatalogModifyName", "Animals");
        if (newName != "New name")
            f.type("txtCatalogModifyNewName", newName);
        f.click("btnCatalogModifyRename");

        const QByteArray renamed = newName.toUtf8();
        QVERIFY(f.idle());
        QCOMPARE(f.programFile("MSGROUP.INI"), "GROUP=" + renamed + "\r\nGROUP=Travel\r\n");
        QCOMPARE(f.programFile("MSAREA.INI"), QByteArray(kAreas).replace("GROUP=Animals", "GROUP=" + renamed));
        QCOMPARE(f.groupSelector(), (QStringList{newName, "Travel"}));
        QCOMPARE(f.paletteLabels(), (QStringList{newName, "Travel"}));
        QCOMPARE(f.main().cmbCatalog->currentText(), newName);
        QCOMPARE(f.listedAreas(), (QStringList{"Cats", "Dogs"}));
        QCOMPARE(f.areaEditorGroups(), (QStringList{newName, "Travel"}));
        QCOMPARE(f.control<QComboBox>("cmbAreaGroup")->currentIndex(), -1);
    }

    void deleteRemovesTheGroupsAreasButNotTheirFolders()
    {
        Fixture f;
        f.main().cmbCatalog->setCurrentIndex(0);
        f.click("btnAreaAdd");
        f.click("btnCatalogRemove");
        f.choose("cmbCatalogModifyName", "Animals");
        f.click("btnCatalogRemoveDelete");

        QVERIFY(f.idle());
        QVERIFY(f.harness.messages.shown.isEmpty());
        QCOMPARE(f.programFile("MSGROUP.INI"), QByteArray("GROUP=Travel\r\n"));
        QCOMPARE(f.programFile("MSAREA.INI"), kKittens + kBeach);
        QVERIFY(QFileInfo(f.folder("areas/cats")).isDir());
        QCOMPARE(f.groupSelector(), QStringList{"Travel"});
        QCOMPARE(f.paletteLabels(), QStringList{"Travel"});
        QCOMPARE(f.main().cmbCatalog->currentIndex(), -1);
        QCOMPARE(f.listedAreas(), QStringList());
        // The deleted group can no longer be chosen for a new area.
        QCOMPARE(f.areaEditorGroups(), QStringList{"Travel"});
    }

    // An empty group name in the file is left out of the editors' lists; the group the user
    // chose is still the one changed.
    void emptyGroupNameInTheFile_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("groups");
        QTest::newRow("rename") << QByteArray("btnCatalogModify") << QByteArray("btnCatalogModifyRename")
                                << QByteArray("GROUP=Animals\r\nGROUP=\r\nGROUP=Holidays\r\n");
        QTest::newRow("delete") << QByteArray("btnCatalogRemove") << QByteArray("btnCatalogRemoveDelete")
                                << QByteArray("GROUP=Animals\r\nGROUP=\r\n");
    }

    void emptyGroupNameInTheFile()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, groups);
        Fixture f("GROUP=Animals\r\nGROUP=\r\nGROUP=Travel\r\n");
        f.click(mode);
        QCOMPARE(f.control<QComboBox>("cmbCatalogModifyName")->count(), 2);
        f.choose("cmbCatalogModifyName", "Travel");
        f.type("txtCatalogModifyNewName", "Holidays");
        f.click(button);
        QCOMPARE(f.programFile("MSGROUP.INI"), groups);
        QCOMPARE(f.programFile("MSAREA.INI").contains("GROUP=Travel"), false);
    }

    void failedWriteLeavesBothFiles_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("rename") << QByteArray("btnCatalogModify") << QByteArray("btnCatalogModifyRename");
        QTest::newRow("delete") << QByteArray("btnCatalogRemove") << QByteArray("btnCatalogRemoveDelete");
        QTest::newRow("add") << QByteArray("btnCatalogAdd") << QByteArray("btnCatalogAddSave");
    }

    // The areas file is written first; a groups file that cannot be written takes it back.
    void failedWriteLeavesBothFiles()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArray, button);
        Fixture f;
        QFile::setPermissions(f.harness.programDir() + "/MSGROUP.INI", QFileDevice::ReadOwner);
        f.main().cmbCatalog->setCurrentIndex(0);
        f.click(mode);
        if (mode != "btnCatalogAdd")
            f.choose("cmbCatalogModifyName", "Animals");
        f.type(mode == "btnCatalogAdd" ? "txtCatalogAddName" : "txtCatalogModifyNewName", "Pets");
        f.click(button);

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first().icon, MessageIcon::Critical);
        QCOMPARE(f.programFile("MSGROUP.INI"), kGroups);
        QCOMPARE(f.programFile("MSAREA.INI"), kAreas);
        QCOMPARE(f.groupSelector(), (QStringList{"Animals", "Travel"}));
        QCOMPARE(f.listedAreas(), (QStringList{"Cats", "Dogs"}));
        QCOMPARE(f.main().lstAreaArchive.first().group, QStringLiteral("Animals"));
    }
};

SHELFMASTER_TEST_MAIN(TestGroupEditor)
#include "tst_groupeditor.moc"

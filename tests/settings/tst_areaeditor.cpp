#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "platform/Volumes.h"
#include "settings/AreaEditor.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

using platform::MessageIcon;
using platform::MessageRequest;

namespace {

const QByteArray kGroups = "GROUP=Animals\r\nGROUP=Travel\r\n";
const QByteArray kCats = areaRecord("Cats", "Animals", "$ROOT/areas/cats");
const QByteArray kDogs = areaRecord("Dogs", "Animals", "$ROOT/areas/dogs", "F2");
const QByteArray kBeach = areaRecord("Beach", "Travel", "$ROOT/areas/beach");
const QStringList kFolders{"areas/cats", "areas/dogs", "areas/beach", "areas/more/small"};

const QStringList kEditorControls{"btnAreaAdd",    "btnAreaModify", "btnAreaRemove", "lblGroup",
                                  "cmbAreaGroup",  "lblAreaName",   "txtAreaAdd",    "cmbArea",
                                  "lblAreaPath",   "drvArea",       "btnAreaDelete", "dirArea",
                                  "btnAreaSave",   "btnAreaUpdate", "cmdCreateDir",  "btnAreaCancel",
                                  "lblAreaKey",    "keyArea",       "btnAreaKeyClear"};
const QStringList kModeButtons{"btnAreaAdd", "btnAreaModify", "btnAreaRemove", "btnAreaCancel"};

struct Fixture : SettingsFixture {
    Fixture(const QByteArray &areas = kCats + kDogs + kBeach)
        : SettingsFixture(kGroups, areas, kFolders)
    {
        openSettings();
    }

    settings::AreaEditor &editor() { return *settings().FrameSubjectSettings; }
    QString chosenGroup() { return control<QComboBox>("cmbAreaGroup")->currentText(); }
    QString areaText() { return control<QComboBox>("cmbArea")->currentText(); }
    QString nameBox() { return control<QLineEdit>("txtAreaAdd")->text(); }
    QString editorFolder() { return editor().dirArea->Path(); }
    // Opens a folder in the area editor's folder list, as a double click on it does.
    void openFolder(const QString &relative) { QVERIFY(!editor().dirArea->setPath(folder(relative))); }
    QStringList shownControls()
    {
        QStringList shown;
        for (const QString &name : kEditorControls) {
            if (!control(name.toLatin1())->isHidden())
                shown << name;
        }
        return shown;
    }
    QStringList enabledModeButtons()
    {
        QStringList enabled;
        for (const QString &name : kModeButtons) {
            if (control(name.toLatin1())->isEnabled())
                enabled << name;
        }
        return enabled;
    }
};

MessageRequest duplicate(const QString &name)
{
    return {"Error!", name + " already exists, the name must be unique", MessageIcon::Information};
}

} // namespace

class TestAreaEditor : public QObject {
    Q_OBJECT

private slots:
    void modes_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("enabled");
        const QStringList idle{"btnAreaAdd", "btnAreaModify", "btnAreaRemove", "btnAreaCancel"};
        const QStringList adding{"btnAreaAdd", "btnAreaModify", "btnAreaRemove", "lblGroup", "cmbAreaGroup",
                                 "lblAreaName", "txtAreaAdd", "lblAreaPath", "drvArea", "dirArea",
                                 "btnAreaSave", "cmdCreateDir", "btnAreaCancel", "lblAreaKey", "keyArea",
                                 "btnAreaKeyClear"};
        const QStringList modifying{"btnAreaAdd", "btnAreaModify", "btnAreaRemove", "lblGroup", "cmbAreaGroup",
                                    "lblAreaName", "cmbArea", "lblAreaPath", "drvArea", "dirArea",
                                    "btnAreaUpdate", "cmdCreateDir", "btnAreaCancel", "lblAreaKey", "keyArea",
                                    "btnAreaKeyClear"};
        const QStringList removing{"btnAreaAdd", "btnAreaModify", "btnAreaRemove", "lblGroup", "cmbAreaGroup",
                                   "lblAreaName", "cmbArea", "btnAreaDelete", "btnAreaCancel"};
        const QStringList modeButtons{"btnAreaAdd", "btnAreaModify", "btnAreaRemove"};
        QTest::newRow("fresh") << QStringList{} << idle << modeButtons;
        QTest::newRow("adding") << QStringList{"btnAreaAdd"} << adding << QStringList{"btnAreaAdd", "btnAreaCancel"};
        QTest::newRow("modifying") << QStringList{"btnAreaModify"} << modifying
                                   << QStringList{"btnAreaModify", "btnAreaCancel"};
        QTest::newRow("removing") << QStringList{"btnAreaRemove"} << removing
                                  << QStringList{"btnAreaRemove", "btnAreaCancel"};
        QTest::newRow("other modes refused") << QStringList{"btnAreaAdd", "btnAreaModify", "btnAreaRemove"}
                                             << adding << QStringList{"btnAreaAdd", "btnAreaCancel"};
        QTest::newRow("entered afresh") << QStringList{"btnAreaRemove", "btnAreaRemove"} << removing
                                        << QStringList{"btnAreaRemove", "btnAreaCancel"};
        QTest::newRow("cancel") << QStringList{"btnAreaModify", "btnAreaCancel"} << idle << modeButtons;
        QTest::newRow("save with no name") << QStringList{"btnAreaAdd", "btnAreaSave"} << idle << modeButtons;
        QTest::newRow("update with no area") << QStringList{"btnAreaModify", "btnAreaUpdate"} << idle
                                             << modeButtons;
        QTest::newRow("delete with no area") << QStringList{"btnAreaRemove", "btnAreaDelete"} << idle
                                             << modeButtons;
    }

    void modes()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, enabled);
        Fixture f;
        if (clicks.contains("btnAreaSave"))
            f.type("txtAreaAdd", QString());
        for (const QString &name : clicks)
            f.click(name.toLatin1());
        QCOMPARE(f.shownControls(), shown);
        QCOMPARE(f.enabledModeButtons(), enabled);
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    void closingResetsTheEditor()
    {
        Fixture f;
        f.click("btnAreaAdd");
        f.type("txtAreaAdd", "Mine");
        f.click("cmdExitSettings");
        f.openSettings();
        QCOMPARE(f.shownControls(), (QStringList{"btnAreaAdd", "btnAreaModify", "btnAreaRemove", "btnAreaCancel"}));
        QCOMPARE(f.nameBox(), QStringLiteral("Name"));
    }

    void addCommandStartsFromTheShownGroup()
    {
        Fixture f;
        f.click("cmdExitSettings");
        f.main().cmbCatalog->setCurrentIndex(0);
        f.main().findChild<QAction *>(QStringLiteral("btnAddArea"))->trigger();

        QVERIFY(f.settings().isVisible());
        QVERIFY(!f.control("btnAreaSave")->isHidden());
        QCOMPARE(f.chosenGroup(), QStringLiteral("Animals"));
        QCOMPARE(f.editorFolder(), f.folder("areas/cats"));
        QCOMPARE(f.nameBox(), QStringLiteral("areas-cats"));
    }

    void saveWithoutAGroupAsksForOne()
    {
        Fixture f;
        f.click("btnAreaAdd");
        f.type("txtAreaAdd", "Birds");
        f.click("btnAreaSave");
        QCOMPARE(f.harness.messages.shown,
                 (QList<MessageRequest>{{platform::applicationTitle(), "You must choose a group to put the area in",
                                         MessageIcon::Information}}));
        QVERIFY(!f.control("btnAreaSave")->isHidden());
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kDogs + kBeach);
    }

    void save_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("saved");
        QTest::newRow("the name box's first text") << "Animals" << "Name" << true;
        QTest::newRow("same name in another group") << "Travel" << "Cats" << true;
        QTest::newRow("same name in upper case") << "Animals" << "CATS" << false;
    }

    void save()
    {
        QFETCH(QString, group);
        QFETCH(QString, name);
        QFETCH(bool, saved);
        Fixture f;
        f.click("btnAreaAdd");
        f.choose("cmbAreaGroup", group);
        f.openFolder("areas/more");
        if (name != "Name")
            f.type("txtAreaAdd", name);
        else
            f.control<QLineEdit>("txtAreaAdd")->setText(name);
        f.click("btnAreaSave");

        const QByteArray added = areaRecord(name.toUtf8(), group.toUtf8(), "$ROOT/areas/more");
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kDogs + kBeach + (saved ? added : QByteArray()));
        QCOMPARE(f.harness.messages.shown, (saved ? QList<MessageRequest>{} : QList<MessageRequest>{duplicate(name)}));
        // The main window shows the target group either way; the editor stays in adding mode.
        QCOMPARE(f.main().cmbCatalog->currentText(), group);
        QCOMPARE(f.listedAreas().contains(name), saved);
        QCOMPARE(f.nameBox(), saved ? QString() : name);
        QVERIFY(!f.control("btnAreaSave")->isHidden());
    }

    void autonameLeavesTheUsersOwnName()
    {
        Fixture f;
        f.click("btnAreaAdd");
        f.openFolder("areas/more");
        QCOMPARE(f.nameBox(), QStringLiteral("areas-more"));
        f.openFolder("areas/more/small");
        QCOMPARE(f.nameBox(), QStringLiteral("areas-more-small"));
        f.type("txtAreaAdd", "Mine");
        f.openFolder("areas/beach");
        QCOMPARE(f.nameBox(), QStringLiteral("Mine"));
        f.type("txtAreaAdd", QString());
        f.openFolder("areas/dogs");
        QCOMPARE(f.nameBox(), QStringLiteral("areas-dogs"));

        f.settings().chkAutoname->setChecked(false);
        f.openFolder("areas/cats");
        QCOMPARE(f.nameBox(), QStringLiteral("areas-dogs"));
    }

    void updateChangesOnlyTheChosenArea_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("folder only") << "Cats" << "Cats"
                                     << kDogs + kBeach + areaRecord("Cats", "Animals", "$ROOT/areas/more");
        QTest::newRow("name and folder, key kept")
            << "Dogs" << "Hounds" << kCats + kBeach + areaRecord("Hounds", "Animals", "$ROOT/areas/more", "F2");
        QTest::newRow("another area's name, in other letter case") << "Cats" << "dogs" << kCats + kDogs + kBeach;
    }

    void updateChangesOnlyTheChosenArea()
    {
        QFETCH(QString, area);
        QFETCH(QString, newName);
        QFETCH(QByteArray, expected);
        Fixture f;
        f.click("btnAreaModify");
        f.choose("cmbAreaGroup", "Animals");
        QCOMPARE(f.areaText(), QStringLiteral("Cats"));
        QCOMPARE(f.editorFolder(), f.folder("areas/cats"));
        f.choose("cmbArea", area);
        f.openFolder("areas/more");
        // Typed as a user does: the field has the focus, and gives it up to Update.
        f.settings().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.settings()));
        QLineEdit *typed = f.control<QComboBox>("cmbArea")->lineEdit();
        typed->setFocus();
        typed->selectAll();
        QTest::keyClicks(typed, newName);
        f.click("btnAreaUpdate");

        QCOMPARE(f.programFile("MSAREA.INI"), expected);
        const bool refused = expected == kCats + kDogs + kBeach;
        QCOMPARE(f.harness.messages.shown,
                 (refused ? QList<MessageRequest>{duplicate(newName)} : QList<MessageRequest>{}));
        QVERIFY(!f.control("btnAreaUpdate")->isHidden());
        if (refused)
            return;
        // The updated area stays chosen: a second update changes it again, and nothing else.
        f.openFolder("areas/beach");
        f.click("btnAreaUpdate");
        QCOMPARE(f.programFile("MSAREA.INI"), QByteArray(expected).replace("$ROOT/areas/more", "$ROOT/areas/beach"));
    }

    void deleteChoosesTheNextAreaOfTheGroup()
    {
        Fixture f;
        f.main().cmbCatalog->setCurrentIndex(1);
        f.click("btnAreaRemove");
        f.choose("cmbAreaGroup", "Animals");
        f.click("btnAreaDelete");
        QCOMPARE(f.programFile("MSAREA.INI"), kDogs + kBeach);
        QCOMPARE(f.areaText(), QStringLiteral("Dogs"));
        // The main window keeps the group it showed.
        QCOMPARE(f.main().cmbCatalog->currentText(), QStringLiteral("Travel"));
        QCOMPARE(f.listedAreas(), QStringList{"Beach"});
        f.click("btnAreaDelete");
        QCOMPARE(f.programFile("MSAREA.INI"), kBeach);
        QCOMPARE(f.control<QComboBox>("cmbArea")->count(), 0);
        QVERIFY(!f.control("btnAreaDelete")->isHidden());
        f.click("btnAreaDelete");
        QVERIFY(f.control("btnAreaDelete")->isHidden());
        QCOMPARE(f.programFile("MSAREA.INI"), kBeach);
        QVERIFY(QFileInfo(f.folder("areas/cats")).isDir());
    }

    void onlyAnAreaChosenInTheListIsChanged_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("delete") << QByteArray("btnAreaDelete");
        QTest::newRow("update") << QByteArray("btnAreaUpdate");
    }

    // Typing the name of an area is no choice of it, and an emptied list leaves none chosen.
    void onlyAnAreaChosenInTheListIsChanged()
    {
        QFETCH(QByteArray, button);
        Fixture f;
        const char *mode = button == "btnAreaDelete" ? "btnAreaRemove" : "btnAreaModify";
        f.click(mode);
        f.choose("cmbAreaGroup", "Travel");
        f.click(mode);
        f.choose("cmbAreaGroup", "Animals");
        f.click(mode); // nothing is chosen now
        f.control<QComboBox>("cmbArea")->setEditText("Beach");
        f.click(button);
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kDogs + kBeach);
        QVERIFY(f.control(button)->isHidden());
    }

    void laterOfTwoIdenticalRecordsIsChosen()
    {
        const QByteArray second = areaRecord("Cats", "Animals", "$ROOT/areas/more");
        Fixture f(kCats + kBeach + second);
        f.click("btnAreaRemove");
        f.choose("cmbAreaGroup", "Animals");
        f.click("btnAreaDelete");
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kBeach);
    }

    void areaWithAMissingFolderCanStillBeDeleted()
    {
        const QByteArray gone = areaRecord("Gone", "Travel", "$ROOT/areas/gone");
        Fixture f(kCats + gone + kBeach);
        f.click("btnAreaModify");
        f.choose("cmbAreaGroup", "Travel");
        QCOMPARE(f.areaText(), QStringLiteral("Gone"));
        QVERIFY(f.harness.messages.shown.isEmpty());
        f.click("btnAreaCancel");
        f.click("btnAreaRemove");
        f.choose("cmbAreaGroup", "Travel");
        f.click("btnAreaDelete");
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kBeach);
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    void driveNotReadyFallsBackToTheRoot()
    {
        QTemporaryDir stick;
        platform::setVolumesOverride(QList<platform::Volume>{{"/", "system", true}, {stick.path(), "USB", false}});
        Fixture f;
        f.click("btnAreaAdd");
        browse::DriveListBox &drives = *f.editor().drvArea;
        drives.setCurrentIndex(drives.findData(stick.path()));
        platform::setVolumesOverride(std::nullopt);

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first().title, QStringLiteral("Error!"));
        QVERIFY(f.harness.messages.shown.first().text.startsWith("Error 68 = "));
        QCOMPARE(f.harness.messages.shown.first().icon, MessageIcon::Critical);
        QCOMPARE(drives.Drive(), QStringLiteral("/"));
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QStringList>("listed");
        // Save and update show the target group before they write.
        QTest::newRow("save") << QByteArray("btnAreaAdd") << QByteArray("btnAreaSave") << QStringList{"Beach"};
        QTest::newRow("update") << QByteArray("btnAreaModify") << QByteArray("btnAreaUpdate") << QStringList{"Beach"};
        QTest::newRow("delete") << QByteArray("btnAreaRemove") << QByteArray("btnAreaDelete") << QStringList{};
    }

    void failedWriteChangesNothing()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArray, button);
        QFETCH(QStringList, listed);
        Fixture f;
        QFile::setPermissions(f.harness.programDir() + "/MSAREA.INI", QFileDevice::ReadOwner);
        f.click(mode);
        f.choose("cmbAreaGroup", "Travel");
        f.openFolder("areas/more");
        f.type("txtAreaAdd", "Sea");
        f.click(button);

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(f.harness.messages.shown.first().icon, MessageIcon::Critical);
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kDogs + kBeach);
        QCOMPARE(f.main().lstAreaArchive.size(), 3);
        QCOMPARE(f.listedAreas(), listed);
    }
};

SHELFMASTER_TEST_MAIN(TestAreaEditor)
#include "tst_areaeditor.moc"

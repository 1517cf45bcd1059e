// The fixture brings the main window, the settings dialog, the common widgets and the test helpers.
#include "SettingsFixture.h"
#include "browse/DirListBox.h"
#include "catalogue/AreaList.h"
#include "catalogue/CatalogueFiles.h"
#include "settings/AreaEditor.h"

#include <QScopeGuard>
#include <QTabWidget>

using testsupport::folderEntries;

namespace {

QByteArray area(const QByteArray &name, const QByteArray &group, const QByteArray &folder, const QByteArray &key = {})
{
    return areaRecord(name, group, "$ROOT/areas/" + folder, key);
}

// An empty group name first: the editors leave it out of their lists, and find a group by its name.
const QByteArray kGroups = "GROUP=\r\nGROUP=Animals\r\nGROUP=Travel\r\n";
// Kittens' group differs from Animals in letter case only. Beach is there twice: the later
// record, whose folder is missing, is the one chosen.
const QByteArray kCats = area("Cats", "Animals", "cats"), kKittens = area("Kittens", "animals", "kittens"),
                 kDogs = area("Dogs", "Animals", "dogs", "F2"),
                 kBeach = area("Beach", "Travel", "beach"), kTravel = kBeach + area("Beach", "Travel", "gone"),
                 kAreas = kCats + kKittens + kDogs + kTravel;
const QString kDenied = QStringLiteral("13 Permission denied");
const QString kTaken = QStringLiteral(" already exists, the name must be unique");

// Takes the steps as a user does: "name" clicks a control, "name=text" picks that entry of a list
// or else types the text, "name?text" checks the text shown ("true" or "false" for a check box),
// "@folder" opens a folder in the area editor, "!file" makes a program file read-only. Controls
// are the settings dialog's, on whichever tab, and its own dialog's; "cmbCatalog" is the main
// window's group selector.
void run(SettingsFixture &f, const QString &steps)
{
    for (const QString &step : steps.split(QStringLiteral(", "))) {
        if (step.startsWith(QLatin1Char('@'))) {
            QVERIFY2(!f.settings().FrameSubjectSettings->dirArea->setPath(QDir(f.root()).filePath(step.mid(1))),
                     qPrintable(step));
            continue;
        }
        if (step.startsWith(QLatin1Char('!'))) {
            QVERIFY(QFile::setPermissions(f.harness.programDir() + "/" + step.mid(1), QFileDevice::ReadOwner));
            continue;
        }
        const qsizetype op = step.indexOf(QRegularExpression(QStringLiteral("[=?]")));
        const QByteArray name = step.left(op).toLatin1();
        const QString text = step.mid(op + 1);
        QWidget *widget = name == "cmbCatalog" ? f.main().cmbCatalog : f.control(name);
        for (QWidget *page = widget; page; page = page->parentWidget()) {
            if (f.settings().SSTab1->indexOf(page) >= 0)
                f.settings().SSTab1->setCurrentWidget(page);
        }
        auto *list = qobject_cast<QComboBox *>(widget);
        if (op < 0) {
            // Near the left edge: a check box takes clicks on its box and caption only.
            QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
        } else if (step.at(op) == QLatin1Char('?')) {
            const char *shows = list ? "currentText" : widget->inherits("QLineEdit") ? "text" : "checked";
            const QString shown = widget->property(shows).toString();
            QVERIFY2(shown == text, qPrintable(step + " but shows " + shown));
        } else if (list && name == "cmbCatalog") {
            list->setCurrentIndex(list->findText(text));
        } else if (list && list->findText(text) >= 0) {
            f.choose(name, text);
        } else if (list) {
            QVERIFY2(list->isEditable(), qPrintable(step + ": not offered"));
            list->lineEdit()->selectAll();
            QTest::keyClicks(list->lineEdit(), text);
        } else {
            f.type(name, text);
        }
    }
}

void row(const char *name, const QString &steps, const QByteArray &areas = kAreas, const QString &message = {},
         const QByteArray &groups = kGroups)
{
    QTest::newRow(name) << steps << areas << message << groups;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void steps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QByteArray>("areas");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("groups");
        // A closed dialog shows what the options file holds.
        row("options: saved", "optCopyDefault, chkPromptCopy, cmdExitSave, optCopyDefault?true, chkPromptCopy?false");
        row("options: undo", "optCopyDefault, chkPromptCopy, cmdExit, optCopyDefault?false, chkPromptCopy?true");
        row("options: exit settings", "optCopyDefault, cmdExitSettings, optCopyDefault?false");
        row("options: file not writable", "!SETTINGS.INI, optCopyDefault, cmdExitSave, optCopyDefault?true", kAreas,
            kDenied);
        row("strip count: a digit", "txtNrOfDir=7, txtNrOfDir?7");
        row("strip count: a letter", "txtNrOfDir=x, txtNrOfDir?0", kAreas, "It must be a integer between 0 and 9");

        const QString add = QStringLiteral("btnAreaAdd, cmbAreaGroup=");
        row("save: the name box's first text", add + "Animals, @areas/more, txtAreaAdd=Name, btnAreaSave, txtAreaAdd?, "
            "cmbCatalog?Animals", kAreas + area("Name", "Animals", "more"));
        row("save: same name in another group", add + "Travel, @areas/more, txtAreaAdd=Cats, btnAreaSave, "
            "cmbCatalog?Travel", kAreas + area("Cats", "Travel", "more"));
        row("save: same name in upper case", add + "Animals, @areas/more, txtAreaAdd=CATS, btnAreaSave, "
            "txtAreaAdd?CATS", kAreas, "CATS" + kTaken);
        row("save: no group", "btnAreaAdd, txtAreaAdd=Birds, btnAreaSave", kAreas,
            "You must choose a group to put the area in");
        row("save: file not writable", "!MSAREA.INI, " + add + "Travel, @areas/more, txtAreaAdd=Sea, btnAreaSave, "
            "cmbCatalog?Travel", kAreas, kDenied);
        row("autoname leaves the user's own name", "btnAreaAdd, @areas/more, txtAreaAdd?areas-more, @areas/more/small, "
            "txtAreaAdd?areas-more-small, txtAreaAdd=Mine, @areas/beach, txtAreaAdd?Mine, txtAreaAdd=, @areas/dogs, "
            "txtAreaAdd?areas-dogs, chkAutoname, @areas/cats, txtAreaAdd?areas-dogs");
        // An update writes the record last, and the area stays chosen for the next update.
        const QString modify = QStringLiteral("btnAreaModify, cmbAreaGroup=Animals, ");
        row("update: folder only", modify + "cmbArea?Cats, @areas/more, btnAreaUpdate, @areas/beach, btnAreaUpdate",
            kKittens + kDogs + kTravel + area("Cats", "Animals", "beach"));
        row("update: name and folder, key kept", modify + "cmbArea=Dogs, @areas/more, cmbArea=Hounds, btnAreaUpdate",
            kCats + kKittens + kTravel + area("Hounds", "Animals", "more", "F2"));
        row("update: name taken in other case", modify + "cmbArea=dogs, btnAreaUpdate", kAreas, "dogs" + kTaken);
        row("update: file not writable", "!MSAREA.INI, " + modify + "@areas/more, btnAreaUpdate", kAreas, kDenied);
        row("update: a typed name is no choice", modify + "btnAreaModify, cmbArea=Beach, btnAreaUpdate");
        row("update: an area whose folder is missing", "btnAreaModify, cmbAreaGroup=Travel, cmbArea?Beach");
        const QString remove = QStringLiteral("btnAreaRemove, cmbAreaGroup=");
        row("delete: the later of two records", remove + "Travel, btnAreaDelete", kCats + kKittens + kDogs + kBeach);
        row("delete: a typed name is no choice", remove + "Animals, btnAreaRemove, cmbArea=Beach, btnAreaDelete");
        row("delete: file not writable", "!MSAREA.INI, " + remove + "Animals, btnAreaDelete", kAreas, kDenied);
        row("delete chooses the next area of the group", "cmbCatalog=Travel, " + remove + "Animals, btnAreaDelete, "
            "cmbArea?Dogs, btnAreaDelete, cmbArea?, btnAreaDelete, cmbCatalog?Travel", kKittens + kTravel);

        const QString editing = QStringLiteral("cmbCatalog=Animals, btnAreaModify, cmbAreaGroup=Travel, ");
        const QString rename = editing + "btnCatalogModify, cmbCatalogModifyName=";
        const QString renamed = QStringLiteral(", btnCatalogModifyRename");
        const QString addGroup = editing + "btnCatalogAdd, txtCatalogAddName=";
        const QString removeGroup = editing + "btnCatalogRemove, cmbCatalogModifyName=";
        row("group: added last", addGroup + "Flowers, btnCatalogAddSave, cmbCatalog?Animals, cmbAreaGroup?, "
            "btnCatalogAdd, txtCatalogAddName?", kAreas, {}, kGroups + "GROUP=Flowers\r\n");
        row("group: added name taken", addGroup + "TRAVEL, btnCatalogAddSave, cmbAreaGroup?Travel, btnCatalogAdd, "
            "txtCatalogAddName?TRAVEL", kAreas, "TRAVEL" + kTaken);
        row("group: add, file not writable", "!MSGROUP.INI, " + addGroup + "Pets, btnCatalogAddSave", kAreas, kDenied);
        row("group: renamed with its areas", rename + "Animals, txtCatalogModifyNewName=Pets" + renamed +
            ", cmbCatalog?Pets, cmbAreaGroup?, cmbAreaGroup=Pets", QByteArray(kAreas).replace("GROUP=Animals\r",
            "GROUP=Pets\r"), {}, QByteArray(kGroups).replace("Animals", "Pets"));
        row("group: new name taken", rename + "Animals, txtCatalogModifyNewName=travel" + renamed +
            ", btnCatalogModify, txtCatalogModifyNewName?New name, cmbAreaGroup?Travel", kAreas, "travel" + kTaken);
        row("group: new name its own in other case", rename + "Animals, txtCatalogModifyNewName=ANIMALS" + renamed,
            kAreas, "ANIMALS" + kTaken);
        row("group: rename, file not writable", "!MSGROUP.INI, " + rename + "Animals" + renamed, kAreas, kDenied);
        // Only the records go, not the areas' folders.
        row("group: deleted with its areas", removeGroup + "Animals, btnCatalogRemoveDelete, cmbCatalog?, "
            "cmbAreaGroup?, cmbAreaGroup=Travel", kKittens + kTravel, {}, "GROUP=\r\nGROUP=Travel\r\n");
        row("group: delete, file not writable", "!MSGROUP.INI, " + removeGroup + "Animals, btnCatalogRemoveDelete",
            kAreas, kDenied);

        const QString newFolder = QStringLiteral("btnAreaAdd, @areas, cmdCreateDir, txtName=");
        row("new folder: becomes the area's folder", "btnAreaAdd, @areas/more/small, cmdCreateDir, txtName=Kittens, "
            "cmdCreate, txtAreaAdd?areas-more-small-Kittens, @areas/more/small/Kittens");
        row("new folder: cancelled", newFolder + "Kittens, cmdCancel, txtAreaAdd?areas");
        row("new folder: needs a name", newFolder + "K, txtName=, cmdCreate, txtName?");
        row("new folder: exists", newFolder + "cats, cmdCreate, txtName?, txtAreaAdd?areas", kAreas,
            "Directory already exists");
        row("new folder: with a slash", newFolder + "x/y, cmdCreate", kAreas, "x/y is not a valid filename");
        row("new folder: parent", newFolder + ".., cmdCreate", kAreas, ".. is not a valid filename");
        row("new folder: itself", newFolder + "., cmdCreate", kAreas, ". is not a valid filename");
    }

    void steps()
    {
        QFETCH(QString, steps);
        QFETCH(QByteArray, areas);
        QFETCH(QString, message);
        QFETCH(QByteArray, groups);
        SettingsFixture f(kGroups, kAreas, {"areas/cats", "areas/dogs", "areas/beach", "areas/more/small"});
        f.openSettings();
        run(f, steps);

        QCOMPARE(f.programFile("MSAREA.INI"), areas);
        QCOMPARE(f.programFile("MSGROUP.INI"), groups);
        QCOMPARE(f.harness.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        // The program works with what the files hold, and no folder here was made or removed.
        QCOMPARE(settings::settingsLines(f.main().options()).join("\r\n").toUtf8() + "\r\n",
                 f.programFile("SETTINGS.INI"));
        QCOMPARE(f.main().lstAreaArchive, catalogue::readAreaFile().records);
        QCOMPARE(f.groupSelector(), catalogue::readGroupFile().groups);
        QCOMPARE(f.paletteLabels(), f.groupSelector());
        QStringList listed;
        for (const auto &record : catalogue::areasOfGroup(f.main().lstAreaArchive, f.main().cmbCatalog->currentText()))
            listed << record.name;
        QCOMPARE(f.listedAreas(), listed);
        QCOMPARE(folderEntries(f.folder("areas")), (QStringList{"beach", "cats", "dogs", "more"}));
    }

    void newFolderWhereNoneCanBeMade()
    {
        testsupport::ScratchVolume volume("1m");
        const QString parent = volume.path() + "/parent";
        QVERIFY(QDir().mkdir(parent));
        // Root writes into any folder whatever its permissions: only a read-only mount refuses.
        if (::geteuid() == 0 && !(volume.mounted() && volume.makeReadOnly()))
            SHELFMASTER_SKIP("running as root, and no read-only file system could be mounted");
        QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        SettingsFixture f(kGroups, kAreas);
        f.openSettings();
        run(f, "btnAreaAdd, @" + parent + ", cmdCreateDir, txtName=Kittens, cmdCreate, txtName?");
        QCOMPARE(f.harness.messages.texts(), QStringList{::geteuid() == 0 ? "30 Read-only file system" : kDenied});
        QVERIFY(folderEntries(parent).isEmpty());
    }

    void driveNotReadyFallsBackToTheRoot()
    {
        QTemporaryDir stick;
        platform::setVolumesOverride(QList<platform::Volume>{{"/", "system", true}, {stick.path(), "USB", false}});
        const auto restore = qScopeGuard([] { platform::setVolumesOverride(std::nullopt); });
        SettingsFixture f(kGroups, kAreas);
        f.openSettings();
        f.click("btnAreaAdd");
        auto *drives = f.control<QComboBox>("drvArea");
        drives->setCurrentIndex(drives->findData(stick.path()));
        QCOMPARE(f.harness.messages.texts(), QStringList{"Error 68 = Device unavailable"});
        QCOMPARE(drives->currentData().toString(), platform::kRootVolume);
    }
};

SHELFMASTER_TEST_MAIN(TestSettings)
#include "tst_settings.moc"

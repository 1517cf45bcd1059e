#include "SettingsFixture.h"
#include "TestSupport.h"
#include "app/AreaListDelegate.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "browse/DirListBox.h"
#include "browse/FileListBox.h"
#include "settings/AreaEditor.h"
#include "settings/frmSettings.h"
#include "viewers/frmImage.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>

using platform::MessageAnswer;
using platform::MessageIcon;
using testsupport::folderEntries;

namespace {

const QByteArray kGroups = "GROUP=Animals\r\nGROUP=Travel\r\n";
const QByteArray kCats = areaRecord("Cats", "Animals", "$ROOT/areas/cats", "F2");
const QByteArray kDogs = areaRecord("Dogs", "Animals", "$ROOT/areas/dogs");
const QByteArray kGone = areaRecord("Gone", "Animals", "$ROOT/areas/gone", "Ctrl+G");
const QByteArray kBeach = areaRecord("Beach", "Travel", "$ROOT/areas/beach", "F3");
// Written by another program: kept, but no key.
const QByteArray kOdd = areaRecord("Odd", "Travel", "$ROOT/areas/odd", "Strg+Q");
const QByteArray kAreas = kCats + kDogs + kGone + kBeach + kOdd;

struct Fixture : SettingsFixture {
    Fixture()
        : SettingsFixture(kGroups, kAreas, {"areas/cats", "areas/dogs", "areas/beach", "areas/odd", "areas/more"},
                          {"a.jpg", "b.jpg", "c.jpg"})
    {
    }

    QKeySequenceEdit *keyBox() { return control<QKeySequenceEdit>("keyArea"); }
    // Records a key in the editor's key field as a user does, and waits until it is taken.
    void recordKey(QKeyCombination key)
    {
        QSignalSpy finished(keyBox(), &QKeySequenceEdit::editingFinished);
        keyBox()->setFocus();
        QTest::keyClick(keyBox(), key.key(), key.keyboardModifiers());
        QVERIFY(finished.wait(5000));
    }
    void openFolder(const QString &relative)
    {
        QVERIFY(!settings().FrameSubjectSettings->dirArea->setPath(folder(relative)));
    }
    void setOptions(bool copy, bool prompt)
    {
        settings::Options options = main().options();
        options.moveDefault = !copy;
        (copy ? options.promptCopy : options.promptMove) = prompt;
        main().setOptions(options);
    }
};

} // namespace

class TestSortByKey : public QObject {
    Q_OBJECT

private slots:
    void keysAreSetChangedAndCleared()
    {
        Fixture f;
        f.openSettings();
        f.click("btnAreaAdd");
        f.choose("cmbAreaGroup", "Travel");
        QVERIFY(f.keyBox()->keySequence().isEmpty()); // the first area's key is not offered
        f.openFolder("areas/more");
        f.type("txtAreaAdd", "Sea");
        f.recordKey(QKeyCombination(Qt::ControlModifier, Qt::Key_S));
        f.click("btnAreaSave");
        const QByteArray sea = areaRecord("Sea", "Travel", "$ROOT/areas/more", "Ctrl+S");
        QCOMPARE(f.programFile("MSAREA.INI"), kAreas + sea);
        QVERIFY(f.keyBox()->keySequence().isEmpty());

        f.click("btnAreaCancel");
        f.click("btnAreaModify");
        f.choose("cmbAreaGroup", "Travel");
        QCOMPARE(f.keyBox()->keySequence(), QKeySequence(Qt::Key_F3));
        f.choose("cmbArea", "Sea");
        QCOMPARE(f.keyBox()->keySequence(), QKeySequence(Qt::CTRL | Qt::Key_S));
        f.recordKey(QKeyCombination(Qt::Key_F4));
        f.click("btnAreaUpdate");
        QCOMPARE(f.programFile("MSAREA.INI"), kAreas + areaRecord("Sea", "Travel", "$ROOT/areas/more", "F4"));

        f.click("btnAreaKeyClear");
        f.click("btnAreaUpdate");
        QCOMPARE(f.programFile("MSAREA.INI"), kAreas + areaRecord("Sea", "Travel", "$ROOT/areas/more"));
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    void keysTheMainWindowKeepsAreRefused_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("digit") << QKeyCombination(Qt::Key_1) << "1 already chooses group 1";
        QTest::newRow("space") << QKeyCombination(Qt::Key_Space) << "Space already steps to the next file";
        QTest::newRow("Del") << QKeyCombination(Qt::Key_Delete) << "Del already deletes the current file";
        QTest::newRow("Ctrl+R") << QKeyCombination(Qt::ControlModifier, Qt::Key_R)
                                << "Ctrl+R already renames the current file";
    }

    void keysTheMainWindowKeepsAreRefused()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, message);
        Fixture f;
        f.openSettings();
        f.click("btnAreaAdd");
        // The box takes the focus, which ends the field's editing once more.
        f.harness.messages.whileShown = [&] { f.keyBox()->clearFocus(); };
        f.recordKey(key);
        QCOMPARE(f.harness.messages.texts(), QStringList{message});
        QVERIFY(f.keyBox()->keySequence().isEmpty());
    }

    // Keys follow the chosen group, like the area list: one key per area within a group.
    void aKeyBelongsToOneAreaOfAGroup_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("saved");
        QTest::newRow("same group") << "Animals" << false;
        QTest::newRow("another group") << "Travel" << true;
    }

    void aKeyBelongsToOneAreaOfAGroup()
    {
        QFETCH(QString, group);
        QFETCH(bool, saved);
        Fixture f;
        f.openSettings();
        f.click("btnAreaAdd");
        f.choose("cmbAreaGroup", group);
        f.type("txtAreaAdd", "New");
        f.recordKey(QKeyCombination(Qt::Key_F2));
        f.click("btnAreaSave");
        QCOMPARE(f.harness.messages.texts(), saved ? QStringList() : QStringList{"F2 is already the key of Cats"});
        QCOMPARE(f.programFile("MSAREA.INI").contains("AREA=New"), saved);
    }

    void anotherProgramsShortcutIsKept()
    {
        Fixture f;
        f.openSettings();
        f.click("btnAreaModify");
        f.choose("cmbAreaGroup", "Travel");
        f.choose("cmbArea", "Odd");
        QVERIFY(f.keyBox()->keySequence().isEmpty());
        f.openFolder("areas/more");
        f.click("btnAreaUpdate");
        const QByteArray moved = areaRecord("Odd", "Travel", "$ROOT/areas/more", "Strg+Q");
        QCOMPARE(f.programFile("MSAREA.INI"), kCats + kDogs + kGone + kBeach + moved);

        f.click("btnCatalogModify");
        f.choose("cmbCatalogModifyName", "Travel");
        f.type("txtCatalogModifyNewName", "Trips");
        f.click("btnCatalogModifyRename");
        QVERIFY(f.programFile("MSAREA.INI").endsWith(areaRecord("Odd", "Trips", "$ROOT/areas/more", "Strg+Q")));
    }

    void areaListShowsTheKeys()
    {
        Fixture f;
        f.main().cmbCatalog->setCurrentIndex(0);
        QListWidget *areas = f.main().lstArea;
        QCOMPARE(f.listedAreas(), (QStringList{"Cats", "Dogs", "Gone"}));
        QCOMPARE(areas->item(0)->data(app::AreaListDelegate::KeyRole).toString(), QStringLiteral("F2"));
        QVERIFY(areas->item(0)->toolTip().contains("F2"));
        QVERIFY(areas->item(1)->data(app::AreaListDelegate::KeyRole).toString().isEmpty());
    }

    void aKeySortsLikeADoubleClick_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<bool>("fromPreview");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("sorted");
        QTest::addColumn<QString>("next");
        QTest::newRow("move") << false << false << false << QStringList{"a.jpg"} << QStringList{"a.jpg"} << "b.jpg";
        QTest::newRow("move, asked") << false << true << false << QStringList{"a.jpg"} << QStringList{"a.jpg"}
                                     << "b.jpg";
        QTest::newRow("copy") << true << false << false << QStringList{"a.jpg"} << QStringList{"a.jpg"} << "b.jpg";
        QTest::newRow("several") << false << false << false << QStringList{"a.jpg", "b.jpg"}
                                 << QStringList{"a.jpg", "b.jpg"} << "c.jpg";
        QTest::newRow("from the preview") << false << false << true << QStringList{"b.jpg"} << QStringList{"b.jpg"}
                                          << "c.jpg";
    }

    void aKeySortsLikeADoubleClick()
    {
        QFETCH(bool, copy);
        QFETCH(bool, prompt);
        QFETCH(bool, fromPreview);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, sorted);
        QFETCH(QString, next);
        Fixture f;
        f.setOptions(copy, prompt);
        f.main().cmbCatalog->setCurrentIndex(0);
        f.harness.clickFile(selected.first());
        for (const QString &name : selected)
            f.main().File1->setSelected(int(f.harness.listedFiles().indexOf(name)), true);
        f.harness.messages.shown.clear();
        QWidget *target = fromPreview ? static_cast<QWidget *>(&f.harness.program().viewer()) : f.main().File1;
        QTest::keyClick(target, Qt::Key_F2);

        QCOMPARE(folderEntries(f.folder("areas/cats")), sorted);
        QCOMPARE(f.main().lstArea->currentItem()->text(), QStringLiteral("Cats"));
        QCOMPARE(f.main().File1->FileName(), next);
        QCOMPARE(f.harness.messages.shown.size(), prompt ? 1 : 0);
        if (prompt)
            QCOMPARE(f.harness.messages.shown.first().title, QStringLiteral("Move file"));
        QCOMPARE(f.harness.listedFiles().size(), copy ? 3 : 3 - sorted.size());
    }

    void keyOfAnAreaWithoutFolder()
    {
        Fixture f;
        f.setOptions(false, false);
        f.main().cmbCatalog->setCurrentIndex(0);
        f.harness.clickFile("a.jpg");
        QTest::keyClick(f.main().File1, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(f.harness.messages.texts(), QStringList{"The path is missing"});
        QCOMPARE(f.harness.listedFiles(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    }

    void keyWithoutAnAreaInTheGroupDoesNothing()
    {
        Fixture f;
        f.main().cmbCatalog->setCurrentIndex(0);
        f.harness.clickFile("a.jpg");
        QTest::keyClick(f.main().File1, Qt::Key_F3); // Beach's key, in the other group
        QVERIFY(f.harness.messages.shown.isEmpty());
        QCOMPARE(f.harness.listedFiles(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        QCOMPARE(folderEntries(f.folder("areas/beach")), QStringList());
    }

    // A key pressed while a sort runs is dropped: it would act on a file the user has not seen.
    void keyPressedDuringASortIsDropped()
    {
        Fixture f;
        f.setOptions(false, true);
        f.main().cmbCatalog->setCurrentIndex(0);
        f.harness.clickFile("a.jpg");
        bool pressed = false;
        f.harness.messages.whileShown = [&] {
            if (!std::exchange(pressed, true))
                QCoreApplication::postEvent(f.main().File1, new QKeyEvent(QEvent::KeyPress, Qt::Key_F2, {}));
        };
        QTest::keyClick(f.main().File1, Qt::Key_F2);
        QCoreApplication::processEvents();

        QCOMPARE(f.harness.messages.shown.size(), 1);
        QCOMPARE(folderEntries(f.folder("areas/cats")), QStringList{"a.jpg"});
        QCOMPARE(f.harness.listedFiles(), (QStringList{"b.jpg", "c.jpg"}));
        QCOMPARE(f.main().File1->FileName(), QStringLiteral("b.jpg"));
    }

    // Choosing group 2 with the file list focused must not also jump to a file named "2...".
    void digitChoosesAGroupOnly()
    {
        SettingsFixture f(kGroups, kAreas, {}, {"2020-01.jpg", "b.jpg"});
        f.harness.clickFile("b.jpg");
        f.main().File1->setFocus();
        QTest::keyClick(f.main().File1, Qt::Key_2);
        QCOMPARE(f.main().cmbCatalog->currentText(), QStringLiteral("Travel"));
        QCOMPARE(f.main().File1->FileName(), QStringLiteral("b.jpg"));
        QCOMPARE(f.harness.selectedFiles(), QStringList{"b.jpg"});
    }
};

SHELFMASTER_TEST_MAIN(TestSortByKey)
#include "tst_sortbykey.moc"

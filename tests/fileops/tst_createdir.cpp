#include "SettingsFixture.h"
#include "TestSupport.h"
#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "fileops/frmCreateDir.h"
#include "platform/Volumes.h"
#include "settings/AreaEditor.h"
#include "settings/frmSettings.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <unistd.h>

using platform::MessageIcon;
using platform::MessageRequest;
using testsupport::folderEntries;

namespace {

// The area editor in adding mode, in the folder "areas" unless told, with the dialog open.
struct Fixture : SettingsFixture {
    explicit Fixture(const QString &editorFolder = {})
        : SettingsFixture("GROUP=Animals\r\n", {}, {"areas/cats"})
    {
        openSettings();
        click("btnAreaAdd");
        openDialog(editorFolder.isEmpty() ? folder("areas") : editorFolder);
    }

    void openDialog(const QString &editorFolder)
    {
        QVERIFY(!settings().FrameSubjectSettings->dirArea->setPath(editorFolder));
        click("cmdCreateDir");
        dialog = settings().findChild<frmCreateDir *>();
        QVERIFY(dialog && dialog->isVisible());
    }
    QString editorFolder() { return settings().FrameSubjectSettings->dirArea->Path(); }
    bool createEnabled() { return dialog->cmdCreate->isEnabled(); }

    QPointer<frmCreateDir> dialog;
};

} // namespace

class TestCreateDir : public QObject {
    Q_OBJECT

private slots:
    void opensOverTheAreaEditor()
    {
        Fixture f;
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Create Directory"));
        QVERIFY(f.dialog->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(f.dialog->Dir1->Path(), f.folder("areas"));
        QCOMPARE(f.dialog->Drive1->Drive(), platform::volumeOf(f.folder("areas")));
        const QPoint offset = f.dialog->frameGeometry().center() - f.settings().frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2, "centred on the settings dialog");

        QStringList order;
        for (QWidget *w = f.dialog->txtName; order.size() < 5; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
        }
        QCOMPARE(order, (QStringList{"txtName", "Drive1", "Dir1", "cmdCreate", "cmdCancel"}));
        QVERIFY(f.dialog->cmdCreate->isDefault());
    }

    void createNeedsAName()
    {
        Fixture f;
        QVERIFY(!f.createEnabled());
        f.type("txtName", "K");
        QVERIFY(f.createEnabled());
        QTest::keyClick(f.dialog->txtName, Qt::Key_Backspace);
        QVERIFY(!f.createEnabled());
    }

    void createdFolderBecomesTheAreaFolder()
    {
        Fixture f;
        f.type("txtName", "Kittens");
        f.click("cmdCreate");
        QTRY_VERIFY(!f.dialog);
        QVERIFY(QFileInfo(f.folder("areas/Kittens")).isDir());
        QCOMPARE(f.editorFolder(), f.folder("areas/Kittens"));
        QCOMPARE(f.control<QLineEdit>("txtAreaAdd")->text(), QStringLiteral("areas-Kittens"));
        QVERIFY(f.harness.messages.shown.isEmpty());
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("exists") << "cats" << "Directory already exists";
        QTest::newRow("with a slash") << "x/y" << "x/y is not a valid filename";
        QTest::newRow("parent") << ".." << ".. is not a valid filename";
        QTest::newRow("itself") << "." << ". is not a valid filename";
    }

    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        Fixture f;
        const QStringList before = folderEntries(f.folder("areas"));
        f.type("txtName", name);
        f.click("cmdCreate");
        QCOMPARE(f.harness.messages.shown,
                 (QList<MessageRequest>{{platform::applicationTitle(), message, MessageIcon::Critical}}));
        QVERIFY(f.dialog && f.dialog->isVisible());
        QCOMPARE(f.dialog->txtName->text(), QString());
        QVERIFY(!f.createEnabled());
        QCOMPARE(folderEntries(f.folder("areas")), before);
        QCOMPARE(f.editorFolder(), f.folder("areas"));
    }

    void parentThatCannotBeWritten()
    {
        testsupport::ScratchVolume volume("1m");
        QString parent;
        if (::geteuid() == 0) {
            // Root writes into any folder whatever its permissions: only a read-only mount refuses.
            if (!volume.mounted() || !QDir().mkdir(volume.path() + "/parent") || !volume.makeReadOnly())
                SHELFMASTER_SKIP("running as root, and no read-only file system could be mounted");
            parent = volume.path() + "/parent";
        } else {
            parent = volume.path();
            QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        Fixture f(parent);
        f.type("txtName", "Kittens");
        f.click("cmdCreate");
        QCOMPARE(f.harness.messages.shown.size(), 1);
        const MessageRequest shown = f.harness.messages.shown.first();
        QVERIFY2(shown.text.startsWith("30 ") || shown.text.startsWith("13 "), qPrintable(shown.text));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QVERIFY(f.dialog && f.dialog->isVisible());
        QCOMPARE(f.dialog->txtName->text(), QString());
        QVERIFY(!QFileInfo::exists(parent + "/Kittens"));
        QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void cancelMakesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void cancelMakesNothing()
    {
        QFETCH(bool, escape);
        Fixture f;
        f.type("txtName", "Kittens");
        if (escape)
            QTest::keyClick(f.dialog->txtName, Qt::Key_Escape);
        else
            f.click("cmdCancel");
        QTRY_VERIFY(!f.dialog);
        QVERIFY(!QFileInfo::exists(f.folder("areas/Kittens")));
        QCOMPARE(f.editorFolder(), f.folder("areas"));
        QCOMPARE(f.control<QLineEdit>("txtAreaAdd")->text(), QStringLiteral("areas"));
    }

    void driveNotReadyFallsBackToTheRoot()
    {
        QTemporaryDir stick;
        platform::setVolumesOverride(QList<platform::Volume>{{"/", "system", true}, {stick.path(), "USB", false}});
        Fixture f;
        browse::DriveListBox &drives = *f.dialog->Drive1;
        drives.setCurrentIndex(drives.findData(stick.path()));
        platform::setVolumesOverride(std::nullopt);
        QCOMPARE(f.harness.messages.shown,
                 (QList<MessageRequest>{{platform::applicationTitle(), "Drive not ready", MessageIcon::Critical}}));
        QCOMPARE(drives.Drive(), QStringLiteral("/"));
    }
};

SHELFMASTER_TEST_MAIN(TestCreateDir)
#include "tst_createdir.moc"

#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using platform::MessageIcon;
using settings::Options;

namespace {

const QString kFile = QStringLiteral("SETTINGS.INI");

QByteArray fileBytes(const Options &options)
{
    return settings::settingsLines(options).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

Options copyDefault()
{
    Options options;
    options.moveDefault = false;
    options.promptCopy = 0;
    return options;
}

template <class Widget>
Widget *control(frmMain &main, const char *name)
{
    auto *widget = main.settings().findChild<Widget *>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

void openSettings(frmMain &main)
{
    main.findChild<QAction *>(QStringLiteral("mnuSettings"))->trigger();
}

enum Tab { GroupAndArea, OptionsTab, ExitTab };

void showTab(frmMain &main, Tab tab)
{
    control<QTabWidget>(main, "SSTab1")->setCurrentIndex(tab);
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void startupReadsTheFile()
    {
        ProgramHarness harness;
        harness.writeProgramFile(kFile, fileBytes(copyDefault()));
        harness.start();
        QCOMPARE(harness.main().options(), copyDefault());
        QCOMPARE(harness.main().statusPanel2->text(), QStringLiteral("Copy files"));
    }

    void badFileIsReportedAndReadUpToTheBadLine()
    {
        ProgramHarness harness;
        harness.writeProgramFile(kFile, "frmSettings.chkAutoname.Value = 0\r\nx\r\n\r\n");
        harness.start();
        QCOMPARE(harness.messages.shown.size(), 1);
        QCOMPARE(harness.messages.shown.first().icon, MessageIcon::Critical);
        QCOMPARE(harness.main().options().autoname, 0);
        QCOMPARE(harness.main().statusPanel2->text(), QString());
    }

    void dialogOpensOnItsFirstTab()
    {
        ProgramHarness harness;
        harness.start();
        frmMain &main = harness.main();
        openSettings(main);
        QVERIFY(main.settings().isVisible());
        QVERIFY(main.settings().isModal());
        auto *tabs = control<QTabWidget>(main, "SSTab1");
        QCOMPARE(tabs->currentIndex(), 0);
        // Ampersands: doubled where a control would read one as a mnemonic.
        QCOMPARE(tabs->tabText(0), QStringLiteral("Group && Area"));
        QCOMPARE(control<QPushButton>(main, "cmdExitSave")->text(), QStringLiteral("Exit && Save"));
        QCOMPARE(control<QLabel>(main, "lblExit")->text(),
                 QStringLiteral("Don't forget to klick on \"Exit & Save\" if you want to Save your settings"));
    }

    void exitAndSaveWritesTheFile()
    {
        ProgramHarness harness;
        harness.start();
        frmMain &main = harness.main();
        openSettings(main);
        showTab(main, OptionsTab);
        QTest::mouseClick(control<QRadioButton>(main, "optCopyDefault"), Qt::LeftButton);
        QTest::mouseClick(control<QCheckBox>(main, "chkPromptCopy"), Qt::LeftButton);
        showTab(main, ExitTab);
        QTest::mouseClick(control<QPushButton>(main, "cmdExitSave"), Qt::LeftButton);

        QVERIFY(!main.settings().isVisible());
        QCOMPARE(testsupport::readBytes(harness.programDir() + "/" + kFile), fileBytes(copyDefault()));
        QCOMPARE(main.options(), copyDefault());
        QCOMPARE(main.statusPanel2->text(), QStringLiteral("Copy files"));
    }

    void leavingWithoutSavingRestoresTheFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("undo, saved options") << "cmdExit" << true;
        QTest::newRow("exit settings, saved options") << "cmdExitSettings" << true;
        QTest::newRow("undo, no file") << "cmdExit" << false;
    }

    void leavingWithoutSavingRestoresTheFile()
    {
        QFETCH(QString, button);
        QFETCH(bool, fileExists);
        ProgramHarness harness;
        const Options saved = fileExists ? copyDefault() : Options();
        if (fileExists)
            harness.writeProgramFile(kFile, fileBytes(saved));
        harness.start();
        frmMain &main = harness.main();
        openSettings(main);
        showTab(main, OptionsTab);
        QTest::mouseClick(control<QCheckBox>(main, "chkAutoname"), Qt::LeftButton);
        QTest::mouseClick(control<QRadioButton>(main, fileExists ? "optMoveDefault" : "optCopyDefault"),
                          Qt::LeftButton);
        QVERIFY(main.settings().options() != saved);

        showTab(main, button == "cmdExit" ? ExitTab : GroupAndArea);
        QTest::mouseClick(control<QPushButton>(main, button.toLatin1().constData()), Qt::LeftButton);

        QVERIFY(!main.settings().isVisible());
        QCOMPARE(main.options(), saved);
        QCOMPARE(QFile::exists(harness.programDir() + "/" + kFile), fileExists);
        QCOMPARE(control<QTabWidget>(main, "SSTab1")->currentIndex(), 0);
    }

    void unwritableFileKeepsTheDialogOpen()
    {
        ProgramHarness harness;
        harness.writeProgramFile(kFile, fileBytes(Options()));
        const QString path = harness.programDir() + "/" + kFile;
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        harness.start();
        frmMain &main = harness.main();
        openSettings(main);
        showTab(main, OptionsTab);
        QTest::mouseClick(control<QRadioButton>(main, "optCopyDefault"), Qt::LeftButton);
        showTab(main, ExitTab);
        QTest::mouseClick(control<QPushButton>(main, "cmdExitSave"), Qt::LeftButton);

        QCOMPARE(harness.messages.shown.size(), 1);
        QCOMPARE(harness.messages.shown.first().icon, MessageIcon::Critical);
        QVERIFY(main.settings().isVisible());
        QVERIFY(!main.settings().options().moveDefault);
        QCOMPARE(testsupport::readBytes(path), fileBytes(Options()));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void stripCountTakesOnlyADigit_data()
    {
        QTest::addColumn<char>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("messages");
        QTest::newRow("digit") << '7' << "7" << 0;
        QTest::newRow("letter") << 'x' << "0" << 1;
        QTest::newRow("blank") << ' ' << "0" << 1;
    }

    void stripCountTakesOnlyADigit()
    {
        QFETCH(char, key);
        QFETCH(QString, text);
        QFETCH(int, messages);
        ProgramHarness harness;
        harness.start();
        frmMain &main = harness.main();
        openSettings(main);
        showTab(main, OptionsTab);
        auto *box = control<QLineEdit>(main, "txtNrOfDir");
        box->clear();
        QTest::keyClick(box, key);
        QCOMPARE(box->text(), text);
        QCOMPARE(harness.messages.shown.size(), messages);
        if (messages) {
            QCOMPARE(harness.messages.shown.first(),
                     (platform::MessageRequest{platform::applicationTitle(),
                                               "It must be a integer between 0 and 9",
                                               MessageIcon::Information}));
        }
    }
};

SHELFMASTER_TEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"

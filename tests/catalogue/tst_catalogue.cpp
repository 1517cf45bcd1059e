#include "TestSupport.h"
#include "catalogue/AreaKeys.h"
#include "catalogue/AreaList.h"
#include "catalogue/CatalogueFiles.h"
#include "platform/ProgramDirectory.h"
#include "settings/AreaAutoname.h"
#include "settings/SettingsFile.h"

#include <QKeySequence>

using namespace catalogue;

namespace {

const QStringList kDefaultOptionLines{
    "frmSettings.chkAutoname.Value = 1",    "frmSettings.txtNrOfDir.Text = 0",
    "frmSettings.txtAreaSeparator.Text = -", "frmSettings.chkPromptMove.Value = 1",
    "frmSettings.chkPromptCopy.Value = 1",  "frmSettings.chkPromptDelete.Value = 1",
    "frmSettings.optMoveDefault.Value = 1", "frmSettings.chkDeleteRecycle.Value = 1"};

} // namespace

// In the tables a file's lines are separated by '|'.
class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    // Readers drop the key's length of each line without comparing the key; the first bad line is reported.
    void readsCatalogueLines_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept"); // as written back
        QTest::addColumn<int>("badLine"); // the first reported; -1: a record cut short by the end of the file
        const QString a = "AREA=a|GROUP=g|PATH=/x|SHORTCUT=", b = "AREA= b = |GROUP=g=1|PATH=/y z|SHORTCUT= s";
        QTest::newRow("values keep = and blanks") << "MSAREA.INI" << a + "|" + b << a + "|" + b << 0;
        QTest::newRow("keys are not compared") << "MSAREA.INI" << "NAME=a|GRUPP=g|WHAT=/x|123456789" << a << 0;
        QTest::newRow("a short line drops its record only")
            << "MSAREA.INI" << a + "|AREA=b|GROUP=g|PATH=/y|SHORTCUT|" + b << a + "|" + b << 8;
        QTest::newRow("file ends inside a record") << "MSAREA.INI" << a + "|AREA=b|GROUP=g" << a << -1;
        QTest::newRow("bad group lines") << "MSGROUP.INI" << "GROUP=A|GROUP||GROUP=" << "GROUP=A|GROUP=" << 2;
        QTest::newRow("empty last group line") << "MSGROUP.INI" << "GROUP=b c|" << "GROUP=b c" << 2;
    }
    void readsCatalogueLines()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QFETCH(int, badLine);
        const AreaParse areas = parseAreaLines(text.split('|'), file);
        const GroupParse groups = parseGroupLines(text.split('|'), file);
        QCOMPARE((file == kAreaFileName ? areaLines(areas.records) : groupLines(groups.groups)).join('|'), kept);
        const platform::MaybeFailure problem = file == kAreaFileName ? areas.problem : groups.problem;
        const QString bad = QStringLiteral("22 Invalid argument: line %1 of %2 is shorter than its key");
        QCOMPARE(problem ? problem->text() : QString(),
                 badLine < 0 ? "62 Input past end of file" : badLine ? bad.arg(badLine).arg(file) : QString());
    }

    // Appends make missing files; what another program wrote is rewritten byte for byte.
    void appendsAndRewritesFiles()
    {
        QTemporaryDir dir;
        platform::setProgramDirectoryOverride(dir.path());
        QVERIFY(!appendAreaRecord({"S=", "H ", "/", ""}) && !appendGroup("H ") && !appendGroup("a=b"));
        QCOMPARE(testsupport::readBytes(dir.filePath(kAreaFileName)), "AREA=S=\r\nGROUP=H \r\nPATH=/\r\nSHORTCUT=\r\n");
        const QByteArray areas = "AREA= x\r\nGROUP=\r\nPATH=\r\nSHORTCUT=F2\r\n";
        testsupport::writeBytes(dir.filePath(kAreaFileName), areas);
        QVERIFY(!writeCatalogue(readAreaFile().records, readGroupFile().groups));
        QCOMPARE(testsupport::readBytes(dir.filePath(kAreaFileName)), areas);
        QCOMPARE(testsupport::readBytes(dir.filePath(kGroupFileName)), "GROUP=H \r\nGROUP=a=b\r\n");
        platform::setProgramDirectoryOverride({});
    }

    // Only the areas whose group is exactly the one chosen, sorted without regard to case; equal names stay.
    void listsAreasOfGroup()
    {
        const AreaArchive archive{{"z", "G"}, {"B", "G"}, {"a", "G"}, {"x", "g"}, {"y", "G "}, {"A", "G"}, {"z", "G"}};
        QStringList listed;
        for (const AreaRecord &record : areasOfGroup(archive, "G"))
            listed << record.name;
        QCOMPARE(listed, (QStringList{"A", "a", "B", "z", "z"}));
    }

    // A line's position says which option it is, its last character the value, whatever the key; the first line
    // that cannot be used ends the read, and the options after it keep their values.
    void readsOptionLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read"); // the options read, each as written back
        QTest::addColumn<int>("failure");
        QTest::newRow("last characters: 2, a blank, 5 is move") << "x = 0|12|x = |0|2|0|5|0" << "02 02010" << 0;
        QTest::newRow("non-digit") << "0|7|_|0|x|0|0|0" << "07_0" << EINVAL;
        QTest::newRow("empty line") << "|7|_|0|2|0|0|0" << "" << EINVAL;
        QTest::newRow("check box value 3") << "0|7|_|3|2|0|0|0" << "07_" << 380;
        QTest::newRow("other script's digit") << "0|7|_|0|2|\u0663|0|0" << "07_02" << EINVAL;
        QTest::newRow("short file, 0 is copy") << "0|7|_|0|2|0|0" << "07_0200" << 62;
    }
    void readsOptionLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        QFETCH(int, failure);
        settings::Options options;
        const settings::SettingsRead result = settings::applySettingsLines(text.split('|'), options);
        QCOMPARE(result.linesRead, read.size());
        QCOMPARE(result.problem ? result.problem->number() : 0, failure);
        QStringList written = kDefaultOptionLines;
        for (int line = 0; line < read.size(); ++line)
            written[line].back() = read[line];
        QCOMPARE(settings::settingsLines(options), written);
    }

    // Shortcut fields hold keys as this program writes them; which keys areas take.
    void areaKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("refusal"); // empty: a key areas take; null: no key's text at all
        const QString cannot = " cannot be an area's key: use F1 to F12 or a letter, alone or with Ctrl, Alt and "
                               "Shift, or a digit with Ctrl or Alt";
        for (const char *key : {"Shift+F12", "Ctrl+Alt+Shift+Q", "Alt+G", "Ctrl+9", "Alt+0"})
            QTest::newRow(key) << key << "";
        for (const char *key : {"F13", "Shift+7", "Meta+B"})
            QTest::newRow(key) << key << key + cannot;
        QTest::newRow("2") << "2" << "2 already chooses group 2";
        QTest::newRow("0") << "0" << "0 goes with the digits that choose groups";
        QTest::newRow("Space") << "Space" << "Space already steps to the next file";
        QTest::newRow("Ctrl+R") << "Ctrl+R" << "Ctrl+R already renames the current file";
        for (const char *text : {"", "ctrl+b", "F2, F3"})
            QTest::newRow(text) << text << QString();
    }
    void areaKeys()
    {
        QFETCH(QString, field);
        QFETCH(QString, refusal);
        const std::optional<QKeyCombination> key = areaKey(field);
        QCOMPARE(key ? shortcutText(*key) : QString(), refusal.isEmpty() && !refusal.isNull() ? field : QString());
        if (!refusal.isNull())
            QCOMPARE(checkAreaKey(QKeySequence::fromString(field, QKeySequence::PortableText)[0]).refusal, refusal);
    }

    // The area name proposed for a folder: {folder, mount point, strip count, separator}.
    void proposesAreaNames_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("name");
        for (const auto &[strip, name] : {std::pair{"0", "a-b"}, {"1", "b"}, {"2", ""}, {"9", ""}, {"x", "a-b"}})
            QTest::newRow(qPrintable(QString("strip %1").arg(strip))) << QStringList{"/a/b", "/", strip, "-"} << name;
        QTest::newRow("no separator") << QStringList{"/a/b", "/", "0", ""} << "ab";
        QTest::newRow("volume's mount point") << QStringList{"/media/usb", "/media/usb", "0", "-"} << "";
        QTest::newRow("below a volume") << QStringList{"/media/usb/Pix/2000", "/media/usb", "0", "_"} << "Pix_2000";
        QTest::newRow("below a volume, strip one") << QStringList{"/media/usb/Pix/2000", "/media/usb", "1", "_"} << "2000";
    }
    void proposesAreaNames()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, name);
        QCOMPARE(settings::areaAutoname(args[0], args[1], settings::stripCount(args[2]), args[3]), name);
    }
};

SHELFMASTER_TEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"

#include "settings/SettingsFile.h"
#include "TestSupport.h"

using settings::Options;

namespace {

const QStringList kDefaultLines{
    "frmSettings.chkAutoname.Value = 1",      "frmSettings.txtNrOfDir.Text = 0",
    "frmSettings.txtAreaSeparator.Text = -",  "frmSettings.chkPromptMove.Value = 1",
    "frmSettings.chkPromptCopy.Value = 1",    "frmSettings.chkPromptDelete.Value = 1",
    "frmSettings.optMoveDefault.Value = 1",   "frmSettings.chkDeleteRecycle.Value = 1"};

// Options that differ from the defaults in every field.
Options changed()
{
    return {0, "7", "_", 0, 2, 0, false, 0};
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void writesTheEightLines()
    {
        QCOMPARE(settings::settingsLines(Options()), kDefaultLines);
        const QStringList lines = settings::settingsLines(changed());
        QCOMPARE(lines.at(6), QStringLiteral("frmSettings.optMoveDefault.Value = 0"));
        Options back;
        QCOMPARE(settings::applySettingsLines(lines, back).linesRead, 8);
        QCOMPARE(back, changed());
    }

    void readsTheLastCharacter_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("the key is never looked at") << 0 << "whatever 0" << "autoname" << "0";
        QTest::newRow("longer value keeps its last character")
            << 1 << "frmSettings.txtNrOfDir.Text = 12" << "nrOfDir" << "2";
        QTest::newRow("empty separator reads as a blank")
            << 2 << "frmSettings.txtAreaSeparator.Text = " << "areaSeparator" << " ";
        QTest::newRow("any digit but 0 is move") << 6 << "x = 5" << "moveDefault" << "true";
        QTest::newRow("0 is copy") << 6 << "x = 0" << "moveDefault" << "false";
        QTest::newRow("grayed check box") << 7 << "x = 2" << "deleteRecycle" << "2";
    }

    void readsTheLastCharacter()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QStringList lines = kDefaultLines;
        lines[line] = text;
        Options options;
        const settings::SettingsRead read = settings::applySettingsLines(lines, options);
        QVERIFY(!read.problem);
        const QMap<QString, QString> fields{
            {"autoname", QString::number(options.autoname)},
            {"nrOfDir", options.nrOfDir},
            {"areaSeparator", options.areaSeparator},
            {"moveDefault", options.moveDefault ? "true" : "false"},
            {"deleteRecycle", QString::number(options.deleteRecycle)}};
        QCOMPARE(fields.value(field), value);
    }

    void stopsAtTheFirstBadLine_data()
    {
        QTest::addColumn<int>("badLine");
        QTest::addColumn<QString>("badText");
        QTest::addColumn<int>("linesInFile");
        QTest::addColumn<int>("linesRead");
        QTest::addColumn<int>("number");
        QTest::newRow("non-digit") << 4 << "x = x" << 8 << 4 << EINVAL;
        QTest::newRow("empty line") << 0 << "" << 8 << 0 << EINVAL;
        QTest::newRow("check box value 3") << 3 << "x = 3" << 8 << 3 << 380;
        QTest::newRow("other script's digit") << 5 << QStringLiteral("x = \u0663") << 8 << 5 << EINVAL;
        QTest::newRow("short file") << -1 << "" << 6 << 6 << 62;
        QTest::newRow("empty file") << -1 << "" << 0 << 0 << 62;
    }

    void stopsAtTheFirstBadLine()
    {
        QFETCH(int, badLine);
        QFETCH(QString, badText);
        QFETCH(int, linesInFile);
        QFETCH(int, linesRead);
        QFETCH(int, number);
        QStringList lines = settings::settingsLines(changed());
        if (badLine >= 0)
            lines[badLine] = badText;
        lines = lines.mid(0, linesInFile);

        Options options;
        const settings::SettingsRead read = settings::applySettingsLines(lines, options);
        QCOMPARE(read.linesRead, linesRead);
        QVERIFY(read.problem);
        QCOMPARE(read.problem->number(), number);
        QCOMPARE(read.defaultActionRead(), linesRead >= 7);
        // What was read before the bad line is taken; everything after keeps its value.
        const QStringList expected = settings::settingsLines(changed()).mid(0, linesRead) +
                                     kDefaultLines.mid(linesRead);
        QCOMPARE(settings::settingsLines(options), expected);
    }
};

SHELFMASTER_TEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"

#include "catalogue/AreaList.h"
#include "catalogue/CatalogueFiles.h"
#include "platform/ProgramDirectory.h"
#include "TestSupport.h"

#include <QTemporaryDir>

using namespace catalogue;

Q_DECLARE_METATYPE(catalogue::AreaArchive)

namespace {
AreaRecord area(const QString &name, const QString &group, const QString &path = "/p",
                const QString &shortcut = "")
{
    return {name, group, path, shortcut};
}
} // namespace

class TestCatalogueFormat : public QObject {
    Q_OBJECT

private slots:
    void readsAreas_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<AreaArchive>("records");
        QTest::addColumn<int>("problemLine"); // 0: none, -1: incomplete record at the end

        QTest::newRow("two records")
            << QStringList{"AREA=a", "GROUP=g", "PATH=/x", "SHORTCUT=", "AREA=b", "GROUP=h", "PATH=/y", "SHORTCUT=s"}
            << AreaArchive{area("a", "g", "/x"), area("b", "h", "/y", "s")} << 0;
        QTest::newRow("values keep = and blanks")
            << QStringList{"AREA= a = b ", "GROUP=g=1", "PATH=/x y", "SHORTCUT= "}
            << AreaArchive{area(" a = b ", "g=1", "/x y", " ")} << 0;
        QTest::newRow("keys are not compared")
            << QStringList{"NAME=xyz", "GRUPP=g", "WHAT=/x", "123456789"}
            << AreaArchive{area("xyz", "g", "/x")} << 0;
        QTest::newRow("bare keys are empty values")
            << QStringList{"AREA=", "GROUP=", "PATH=", "SHORTCUT="} << AreaArchive{area("", "", "")} << 0;
        QTest::newRow("bad line drops its record only")
            << QStringList{"AREA=a", "GROUP=g", "PATH=/x", "SHORTCUT=", "AREA=b", "", "PATH=/y", "SHORTCUT=",
                           "AREA=c", "GROUP=g", "PATH=/z", "SHORTCUT="}
            << AreaArchive{area("a", "g", "/x"), area("c", "g", "/z")} << 6;
        QTest::newRow("short shortcut line")
            << QStringList{"AREA=a", "GROUP=g", "PATH=/x", "SHORTCUT"} << AreaArchive{} << 4;
        QTest::newRow("file ends inside a record")
            << QStringList{"AREA=a", "GROUP=g", "PATH=/x", "SHORTCUT=", "AREA=b", "GROUP=g"}
            << AreaArchive{area("a", "g", "/x")} << -1;
    }
    void readsAreas()
    {
        QFETCH(QStringList, lines);
        QFETCH(AreaArchive, records);
        QFETCH(int, problemLine);
        const AreaParse parse = parseAreaLines(lines, "MSAREA.INI");
        QCOMPARE(parse.records, records);
        QCOMPARE(bool(parse.problem), problemLine != 0);
        if (problemLine > 0)
            QVERIFY(parse.problem->description.contains(QStringLiteral("line %1 ").arg(problemLine)));
        if (problemLine == -1)
            QCOMPARE(parse.problem->text(), QStringLiteral("62 Input past end of file"));
    }

    void readsGroups_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<int>("problemLine");
        QTest::newRow("plain") << QStringList{"GROUP=A", "GROUP=b c"} << QStringList{"A", "b c"} << 0;
        QTest::newRow("bare key") << QStringList{"GROUP="} << QStringList{""} << 0;
        QTest::newRow("empty line in the middle keeps the rest")
            << QStringList{"GROUP=A", "", "GROUP=B"} << QStringList{"A", "B"} << 2;
        QTest::newRow("short lines, first reported")
            << QStringList{"GROUP=A", "GROUP", "x", "GROUP=B"} << QStringList{"A", "B"} << 2;
        QTest::newRow("empty last line") << QStringList{"GROUP=A", ""} << QStringList{"A"} << 2;
    }
    void readsGroups()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, groups);
        QFETCH(int, problemLine);
        const GroupParse parse = parseGroupLines(lines, "MSGROUP.INI");
        QCOMPARE(parse.groups, groups);
        QCOMPARE(bool(parse.problem), problemLine != 0);
        if (problemLine)
            QVERIFY(parse.problem->text().contains(QStringLiteral("line %1 of MSGROUP.INI").arg(problemLine)));
    }

    void rewritesFilesByteForByte()
    {
        QTemporaryDir dir;
        platform::setProgramDirectoryOverride(dir.path());
        const QByteArray areas = "AREA=Sea = blue \r\nGROUP= Holiday\r\nPATH=/p/a b\r\nSHORTCUT=k\r\n"
                                 "AREA=x\r\nGROUP=y\r\nPATH=\r\nSHORTCUT=\r\n";
        const QByteArray groups = "GROUP= Holiday\r\nGROUP=a=b\r\n";
        testsupport::writeBytes(dir.filePath("MSAREA.INI"), areas);
        testsupport::writeBytes(dir.filePath("MSGROUP.INI"), groups);

        const AreaParse readAreas = readAreaFile();
        const GroupParse readGroups = readGroupFile();
        QVERIFY(!readAreas.problem && !readGroups.problem);
        QVERIFY(!writeAreaFile(readAreas.records));
        QVERIFY(!writeGroupFile(readGroups.groups));
        QCOMPARE(testsupport::readBytes(dir.filePath("MSAREA.INI")), areas);
        QCOMPARE(testsupport::readBytes(dir.filePath("MSGROUP.INI")), groups);
        platform::setProgramDirectoryOverride({});
    }

    void appendsWithEmptyShortcut()
    {
        QTemporaryDir dir;
        platform::setProgramDirectoryOverride(dir.path());
        QVERIFY(!appendGroup("G"));
        QVERIFY(!appendAreaRecord(area("n", "G", "/d")));
        QVERIFY(!appendGroup("H"));
        QCOMPARE(testsupport::readBytes(dir.filePath("MSAREA.INI")),
                 QByteArray("AREA=n\r\nGROUP=G\r\nPATH=/d\r\nSHORTCUT=\r\n"));
        QCOMPARE(readGroupFile().groups, (QStringList{"G", "H"}));
        platform::setProgramDirectoryOverride({});
    }

    void listsAreasOfGroup_data()
    {
        QTest::addColumn<AreaArchive>("archive");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("names");
        const AreaArchive mixed{area("zoo", "G"), area("Beach", "G"), area("alps", "G"), area("x", "g"),
                                area("y", "G "), area("Alps", "G"), area("none", "")};
        QTest::newRow("sorted without regard to case")
            << mixed << "G" << QStringList{"Alps", "alps", "Beach", "zoo"};
        QTest::newRow("letter case of the group counts") << mixed << "g" << QStringList{"x"};
        QTest::newRow("trailing blank counts") << mixed << "G " << QStringList{"y"};
        QTest::newRow("no group chosen") << mixed << "" << QStringList{"none"};
        QTest::newRow("same name twice") << AreaArchive{area("a", "G"), area("a", "G")} << "G"
                                         << QStringList{"a", "a"};
        QTest::newRow("empty archive") << AreaArchive{} << "G" << QStringList{};
    }
    void listsAreasOfGroup()
    {
        QFETCH(AreaArchive, archive);
        QFETCH(QString, group);
        QFETCH(QStringList, names);
        QStringList listed;
        for (const catalogue::AreaRecord &record : areasOfGroup(archive, group))
            listed << record.name;
        QCOMPARE(listed, names);
    }
};

SHELFMASTER_TEST_MAIN(TestCatalogueFormat)
#include "tst_catalogueformat.moc"

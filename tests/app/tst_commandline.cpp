#include "FakeMessages.h"
#include "TestSupport.h"
#include "app/CommandLine.h"
#include "platform/Folders.h"

#include <QDir>
#include <QProcess>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode"); // -1: the program starts
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("folder");
        QTest::newRow("nothing") << QStringList{"shelfmaster"} << -1 << "" << "";
        QTest::newRow("a folder") << QStringList{"shelfmaster", "/tmp/pics"} << -1 << "" << "/tmp/pics";
        QTest::newRow("version") << QStringList{"shelfmaster", "--version"} << 0 << "shelfmaster 1.4\n" << "";
        QTest::newRow("help") << QStringList{"shelfmaster", "--help"} << 0 << "Usage: shelfmaster [options] [FOLDER]"
                              << "";
        QTest::newRow("unknown option") << QStringList{"shelfmaster", "--frobnicate"} << 1 << "Unknown option" << "";
        QTest::newRow("two folders") << QStringList{"shelfmaster", "/a", "/b"} << 1 << "Only one folder" << "";
    }

    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, folder);
        const app::CommandLine line = app::parseCommandLine(arguments);
        QCOMPARE(line.exitCode.value_or(-1), exitCode);
        QVERIFY2(line.output.startsWith(output) || line.output.contains(output), qPrintable(line.output));
        QCOMPARE(line.folder.value_or(QString()), folder);
    }

    void startFolder_data()
    {
        QTest::addColumn<QString>("relative"); // under a temporary folder
        QTest::addColumn<bool>("entered");
        QTest::newRow("a folder") << "pics" << true;
        QTest::newRow("missing") << "gone" << false;
        QTest::newRow("a file") << "file.jpg" << false;
    }

    void startFolder()
    {
        QFETCH(QString, relative);
        QFETCH(bool, entered);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("pics");
        testsupport::writeBytes(dir.filePath("file.jpg"), "x");
        const QString before = platform::currentFolder();
        FakeMessages messages;
        app::enterStartFolder(dir.filePath(relative));
        QCOMPARE(platform::currentFolder(), entered ? dir.filePath(relative) : before);
        QCOMPARE(messages.texts(), entered ? QStringList() : QStringList{"The path is missing"});
        QDir::setCurrent(before);
    }

    // Version and help print and end before any window is needed.
    void programPrintsItsVersion()
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(SHELFMASTER_PROGRAM), {"--version"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(program.readAllStandardOutput(), QByteArray("shelfmaster 1.4\n"));
    }
};

SHELFMASTER_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"

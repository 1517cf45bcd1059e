#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/FileNames.h"
#include "platform/Wallpaper.h"

#include <QAction>
#include <QDir>

using platform::MessageAnswer;
using platform::MessageIcon;

// Puts fake desktop tools first on PATH; each records its arguments, one per line, and ends
// with the exit code given.
class FakeTools {
public:
    explicit FakeTools(int exitCode = 0) : m_savedPath(qgetenv("PATH"))
    {
        for (const char *tool : {"gsettings", "qdbus", "xfconf-query", "feh"}) {
            const QString path = m_dir.filePath(QLatin1String(tool));
            testsupport::writeBytes(path, QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done"
                                                         " >> '%1'\necho '--' >> '%1'\nexit %2\n")
                                              .arg(log())
                                              .arg(exitCode)
                                              .toUtf8());
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ":" + m_savedPath);
    }
    ~FakeTools() { qputenv("PATH", m_savedPath); }

    QString log() const { return m_dir.filePath(QStringLiteral("calls.log")); }
    // Each call as its list of arguments.
    QList<QStringList> calls() const
    {
        QList<QStringList> calls;
        QStringList current;
        for (const QString &line : QString::fromUtf8(testsupport::readBytes(log())).split('\n')) {
            if (line == QLatin1String("--")) {
                calls << current;
                current.clear();
            } else if (!line.isEmpty()) {
                current << line;
            }
        }
        return calls;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

class TestWallpaper : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_pictures; // a folder with blanks and quotes in its name

private slots:
    void initTestCase()
    {
        m_pictures = m_folder.filePath(QStringLiteral("my 'holiday' \"pics\""));
        QDir().mkpath(m_pictures);
        testsupport::createFiles(m_pictures, {"sunset.bmp", "photo.Jpg", "photo.jpg", "photo.JPG", "photo.jpeg",
                                              "photo.JPEG", "anim.gif", "anim.GIF", "clip.avi"});
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    void commandsOfEachDesktop_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QList<QStringList>>("calls");
        const QString path = m_pictures + "/sunset.bmp";
        const QString uri = QString::fromLatin1("file://" + platform::encodeFileName(path).toPercentEncoding("/"));
        QTest::newRow("GNOME") << QByteArray("ubuntu:GNOME")
                               << QList<QStringList>{{"set", "org.gnome.desktop.background", "picture-uri", uri},
                                                     {"set", "org.gnome.desktop.background", "picture-uri-dark", uri}};
        QTest::newRow("Cinnamon") << QByteArray("X-Cinnamon")
                                  << QList<QStringList>{{"set", "org.cinnamon.desktop.background", "picture-uri", uri}};
        QTest::newRow("MATE") << QByteArray("MATE")
                              << QList<QStringList>{{"set", "org.mate.background", "picture-filename", path}};
        QTest::newRow("XFCE") << QByteArray("XFCE")
                              << QList<QStringList>{{"-c", "xfce4-desktop", "-p",
                                                     "/backdrop/screen0/monitor0/workspace0/last-image", "-s", path}};
        QTest::newRow("another desktop") << QByteArray("") << QList<QStringList>{{"--bg-fill", path}};
    }

    void commandsOfEachDesktop()
    {
        QFETCH(QByteArray, desktop);
        QFETCH(QList<QStringList>, calls);
        FakeTools tools;
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        QVERIFY(platform::setDesktopWallpaper(m_pictures + "/sunset.bmp"));
        QCOMPARE(tools.calls(), calls);
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    void plasmaGetsAScript()
    {
        FakeTools tools;
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QVERIFY(platform::setDesktopWallpaper(m_pictures + "/sunset.bmp"));
        const QList<QStringList> calls = tools.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().mid(0, 3), (QStringList{"org.kde.plasmashell", "/PlasmaShell",
                                                       "org.kde.PlasmaShell.evaluateScript"}));
        // The quote in the folder's name cannot end the script's string.
        QVERIFY(calls.first().at(3).contains("%27holiday%27"));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    void messages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<int>("toolExit");
        QTest::addColumn<QStringList>("texts"); // %1: the wallpaper path
        QTest::addColumn<int>("calls");
        const QString bitmap = "The image is not a valid bitmap, it must be a *.BMP file";
        const QString question = "Do you want to put %1 as wallpaper?";
        const QString failed = "Error changing wallpaper, %1 does not exist or is an invalid wallpaper";
        QTest::newRow("bitmap") << "sunset.bmp" << MessageAnswer::Ok << 0
                                << QStringList{question, "%1 is now a wallpaper"} << 2;
        QTest::newRow("cancel") << "sunset.bmp" << MessageAnswer::Cancel << 0
                                << QStringList{question, "The operation was canceled"} << 0;
        QTest::newRow("the desktop refuses") << "sunset.bmp" << MessageAnswer::Ok << 1
                                             << QStringList{question, failed} << 1;
        for (const char *refused : {"photo.jpg", "photo.JPG", "photo.jpeg", "photo.JPEG", "anim.gif", "anim.GIF"})
            QTest::newRow(refused) << refused << MessageAnswer::Ok << 0 << QStringList{bitmap} << 0;
        QTest::newRow("mixed case is not refused") << "photo.Jpg" << MessageAnswer::Ok << 0
                                                   << QStringList{question, "%1 is now a wallpaper"} << 2;
        QTest::newRow("a movie is no picture") << "clip.avi" << MessageAnswer::Ok << 0
                                               << QStringList{question, failed} << 0;
    }

    void messages()
    {
        QFETCH(QString, name);
        QFETCH(MessageAnswer, answer);
        QFETCH(int, toolExit);
        QFETCH(QStringList, texts);
        QFETCH(int, calls);
        FakeTools tools(toolExit);
        ProgramHarness harness;
        harness.setStartFolder(m_pictures);
        harness.start();
        frmMain &main = harness.main();
        main.File1->setSelected(int(harness.listedFiles().indexOf(name)), true);
        harness.messages.shown.clear();
        harness.messages.answerNext(answer);
        main.btnDesktop->trigger();

        const QString path = m_pictures + "/" + name;
        QStringList expected;
        for (const QString &text : texts)
            expected << (text.contains("%1") ? text.arg(path) : text);
        QCOMPARE(harness.messages.texts(), expected);
        QCOMPARE(int(tools.calls().size()), calls);
        if (expected.size() == 2)
            QCOMPARE(harness.messages.shown.first().buttons, platform::MessageButtons::OkCancel);
    }
};

SHELFMASTER_TEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"

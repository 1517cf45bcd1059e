#include "ProgramHarness.h"
#include "TestSupport.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/FileNames.h"
#include "platform/Wallpaper.h"

#include <QAction>
#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <unistd.h>

using platform::MessageAnswer;
using platform::MessageIcon;

// Puts fake desktop tools first on PATH. Each records its arguments, one per line, keeps what it
// is told to set so that it can be read back (or, as a desktop that lost the name, something
// else), and ends with the exit code given.
class FakeTools {
public:
    explicit FakeTools(int exitCode = 0, bool keepsTheName = true)
        : m_savedPath(qgetenv("PATH"))
        , m_savedHome(qgetenv("HOME"))
    {
        const QString store = m_dir.filePath("store");
        QDir().mkpath(store);
        // The value a tool keeps: the one given, or one that lost its last character.
        const QString kept = keepsTheName ? "\"$1\"" : "\"${1%?}\"";
        const QString common = QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '%1'\n"
                                              "echo '--' >> '%1'\nkeep() { printf '%s' %2 > \"%3/$2\"; }\n")
                                   .arg(log(), kept, store);
        const QString exit = QStringLiteral("exit %1\n").arg(exitCode);
        write("gsettings", common + "case \"$1\" in\n set) keep \"$4\" \"$2.$3\" ;;\n"
                                    " get) cat \"" + store + "/$2.$3\"; echo ;;\nesac\n" + exit);
        write("xfconf-query", common + "if [ \"$3\" = -l ]; then printf '%s\\n' /backdrop/screen0/monitoreDP-1/workspace0/last-image"
                                       " /backdrop/screen0/monitoreDP-1/workspace1/last-image"
                                       " /backdrop/screen0/monitorHDMI-1/workspace0/last-image /backdrop/single-workspace-mode\n"
                                       "elif [ \"$5\" = -s ]; then keep \"$6\" \"$(echo \"$4\" | tr / _)\"\n"
                                       "else cat \"" + store + "/$(echo \"$4\" | tr / _)\"; echo; fi\n" + exit);
        write("feh", common + "keep \"$2\" path\nprintf \"#!/bin/sh\\nfeh --no-fehbg --bg-fill '%s'\\n\" "
                              "\"$(sed \"s/'/'\\\\\\\\''/g\" \"" + store + "/path\")\" > \"$HOME/.fehbg\"\n" + exit);
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ":" + m_savedPath);
        qputenv("HOME", QFile::encodeName(m_dir.path()));
    }
    ~FakeTools()
    {
        qputenv("PATH", m_savedPath);
        qputenv("HOME", m_savedHome);
    }

    QString log() const { return m_dir.filePath(QStringLiteral("calls.log")); }
    // Each call as its list of arguments.
    QList<QByteArrayList> calls() const
    {
        QList<QByteArrayList> calls;
        QByteArrayList current;
        for (const QByteArray &line : testsupport::readBytes(log()).split('\n')) {
            if (line == "--") {
                calls << current;
                current.clear();
            } else if (!line.isEmpty()) {
                current << line;
            }
        }
        return calls;
    }

private:
    void write(const char *tool, const QString &script)
    {
        const QString path = m_dir.filePath(QLatin1String(tool));
        testsupport::writeBytes(path, script.toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir m_dir;
    QByteArray m_savedPath;
    QByteArray m_savedHome;
};

// Stands in for Plasma's shell: keeps the picture a script writes and prints it when asked.
class FakePlasmaShell : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    QStringList scripts;

public slots:
    QString evaluateScript(const QString &script)
    {
        scripts << script;
        const QRegularExpression written("writeConfig\\('Image', '([^']*)'\\)");
        if (const QRegularExpressionMatch match = written.match(script); match.hasMatch()) {
            m_image = match.captured(1);
            return {};
        }
        return m_image + "\n";
    }

private:
    QString m_image;
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
        QTest::addColumn<QList<QByteArrayList>>("calls");
        const QByteArray path = platform::encodeFileName(m_pictures + "/sunset.bmp");
        const QByteArray uri = "'file://" + path.toPercentEncoding("/") + "'";
        const QByteArray gnome = "org.gnome.desktop.background";
        QTest::newRow("GNOME") << QByteArray("ubuntu:GNOME")
                               << QList<QByteArrayList>{{"set", gnome, "picture-uri", uri},
                                                        {"get", gnome, "picture-uri"},
                                                        {"set", gnome, "picture-uri-dark", uri},
                                                        {"get", gnome, "picture-uri-dark"}};
        const QByteArray cinnamon = "org.cinnamon.desktop.background";
        QTest::newRow("Cinnamon") << QByteArray("X-Cinnamon")
                                  << QList<QByteArrayList>{{"set", cinnamon, "picture-uri", uri},
                                                           {"get", cinnamon, "picture-uri"}};
        // The folder's name holds a single quote: GLib's text form quotes it with double quotes.
        const QByteArray quoted = '"' + QByteArray(path).replace("\"", "\\\"") + '"';
        QTest::newRow("MATE") << QByteArray("MATE")
                              << QList<QByteArrayList>{{"set", "org.mate.background", "picture-filename", quoted},
                                                       {"get", "org.mate.background", "picture-filename"}};
        const QByteArray edp = "/backdrop/screen0/monitoreDP-1/workspace0/last-image";
        const QByteArray hdmi = "/backdrop/screen0/monitorHDMI-1/workspace0/last-image";
        QTest::newRow("XFCE") << QByteArray("XFCE")
                              << QList<QByteArrayList>{{"-c", "xfce4-desktop", "-l"},
                                                       {"-c", "xfce4-desktop", "-p", edp, "-s", path},
                                                       {"-c", "xfce4-desktop", "-p", edp},
                                                       {"-c", "xfce4-desktop", "-p", hdmi, "-s", path},
                                                       {"-c", "xfce4-desktop", "-p", hdmi}};
        QTest::newRow("another desktop") << QByteArray("") << QList<QByteArrayList>{{"--bg-fill", path}};
    }

    void commandsOfEachDesktop()
    {
        QFETCH(QByteArray, desktop);
        QFETCH(QList<QByteArrayList>, calls);
        FakeTools tools;
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        QVERIFY(platform::setDesktopWallpaper(m_pictures + "/sunset.bmp"));
        QCOMPARE(tools.calls(), calls);
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    // Success is what the desktop names afterwards, not what its tool says.
    void desktopThatNamesAnotherFileIsAFailure_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        for (const char *desktop : {"GNOME", "MATE", "XFCE", ""})
            QTest::newRow(*desktop ? desktop : "feh") << QByteArray(desktop);
    }

    void desktopThatNamesAnotherFileIsAFailure()
    {
        QFETCH(QByteArray, desktop);
        FakeTools tools(0, false);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        QVERIFY(!platform::setDesktopWallpaper(m_pictures + "/sunset.bmp"));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    // A name that is not UTF-8 reaches the tools byte for byte, or is refused where the desktop
    // can only keep text.
    void namesThatAreNotUtf8_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<bool>("set");
        QTest::newRow("GNOME takes a URI") << QByteArray("GNOME") << true;
        QTest::newRow("feh takes the bytes") << QByteArray("") << true;
        QTest::newRow("MATE keeps text") << QByteArray("MATE") << false;
        QTest::newRow("XFCE keeps text") << QByteArray("XFCE") << false;
    }

    void namesThatAreNotUtf8()
    {
        QFETCH(QByteArray, desktop);
        QFETCH(bool, set);
        FakeTools tools;
        QTemporaryDir dir;
        testsupport::writePicture(dir.filePath("x.bmp"));
        const QByteArray odd = QFile::encodeName(dir.path()) + "/\xe9t\xe9.bmp";
        QCOMPARE(::rename(QFile::encodeName(dir.filePath("x.bmp")).constData(), odd.constData()), 0);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        QCOMPARE(platform::setDesktopWallpaper(platform::decodeFileName(odd)), set);
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        const QByteArray given = set ? tools.calls().first().last() : QByteArray();
        if (desktop.isEmpty())
            QCOMPARE(given, odd);
        else if (set)
            QCOMPARE(given, "'file://" + odd.toPercentEncoding("/") + "'");
        else
            QVERIFY(tools.calls().isEmpty());
        ::unlink(odd.constData());
    }

    // Plasma is asked over D-Bus, here a private bus with a stand-in for its shell.
    void plasmaGetsAScript()
    {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            SHELFMASTER_SKIP("dbus-daemon is needed for a private session bus");
        QProcess bus;
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus.waitForReadyRead(10000));
        const QByteArray address = bus.readLine().trimmed();
        QDBusConnection connection = QDBusConnection::connectToBus(QString::fromLatin1(address), "private");
        FakePlasmaShell shell;
        QVERIFY(connection.registerService("org.kde.plasmashell"));
        QVERIFY(connection.registerObject("/PlasmaShell", &shell, QDBusConnection::ExportAllSlots));
        const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_CURRENT_DESKTOP", "KDE");

        // The shell answers on the thread of this event loop while the program waits for it.
        QThread thread;
        shell.moveToThread(&thread);
        thread.start();
        const bool set = platform::setDesktopWallpaper(m_pictures + "/sunset.bmp");
        thread.quit();
        thread.wait();
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
        connection.unregisterObject("/PlasmaShell");
        QDBusConnection::disconnectFromBus("private");
        bus.kill();
        bus.waitForFinished();

        QVERIFY(set);
        QCOMPARE(shell.scripts.size(), 2);
        // The quote in the folder's name is percent-encoded: it cannot end the script's string.
        QVERIFY(shell.scripts.first().contains("%27holiday%27"));
        QVERIFY(shell.scripts.last().contains("readConfig('Image')"));
    }

    void messages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<int>("toolExit");
        QTest::addColumn<QStringList>("texts"); // %1: the wallpaper path
        QTest::addColumn<int>("calls"); // GNOME: each of two keys is set and read back
        const QString bitmap = "The image is not a valid bitmap, it must be a *.BMP file";
        const QString question = "Do you want to put %1 as wallpaper?";
        const QString failed = "Error changing wallpaper, %1 does not exist or is an invalid wallpaper";
        QTest::newRow("bitmap") << "sunset.bmp" << MessageAnswer::Ok << 0
                                << QStringList{question, "%1 is now a wallpaper"} << 4;
        QTest::newRow("cancel") << "sunset.bmp" << MessageAnswer::Cancel << 0
                                << QStringList{question, "The operation was canceled"} << 0;
        QTest::newRow("the desktop refuses") << "sunset.bmp" << MessageAnswer::Ok << 1
                                             << QStringList{question, failed} << 1;
        for (const char *refused : {"photo.jpg", "photo.JPG", "photo.jpeg", "photo.JPEG", "anim.gif", "anim.GIF"})
            QTest::newRow(refused) << refused << MessageAnswer::Ok << 0 << QStringList{bitmap} << 0;
        QTest::newRow("mixed case is not refused") << "photo.Jpg" << MessageAnswer::Ok << 0
                                                   << QStringList{question, "%1 is now a wallpaper"} << 4;
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

#include "ProgramHarness.h"
#include "platform/FileDeletion.h"
#include "platform/FileNames.h"
#include "platform/FolderWatch.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "platform/Trash.h"
#include "platform/Volumes.h"
#include "platform/Wallpaper.h"

#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace platform;
using namespace testsupport;
namespace fs = std::filesystem;
using Bytes3 = std::tuple<QByteArray, QByteArray, QByteArray>;

// Reads a file by the bytes of its name, which QFile cannot always spell.
static QByteArray contents(const QByteArray &path)
{
    std::ifstream in(path.constData(), std::ios::binary);
    return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
}

// The info file of a trashed file: its path, percent-encoded, and when it was deleted.
static bool isInfoOf(const QByteArray &info, const QByteArray &path)
{
    const QByteArray head = "[Trash Info]\nPath=" + path + "\nDeletionDate=";
    return info.startsWith(head) && QDateTime::fromString(info.mid(head.size()), "yyyy-MM-ddTHH:mm:ss\n").isValid();
}

// The desktops' tools: each keeps the value it is told to set, $LOST after it (a desktop that names
// another file), and prints it when asked; feh notes it in ~/.fehbg.
static const char kFakeTool[] = R"(#!/bin/sh
cd "${0%/*}" || exit
case "${0##*/} $1" in
"gsettings set") printf %s "$4$LOST" > kept ;;
feh*) printf "feh --bg-fill '%s'\n" "$2$LOST" > "$HOME/.fehbg" && printf %s "$2$LOST" > kept ;;
*) cat kept && echo ;;
esac)";

class TestPlatform : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder; // the fake tools, homes, pictures
    const QString m_pictures = m_folder.filePath("pics");
    const QByteArray m_odd = QFile::encodeName(m_folder.path()) + "/\xe9t\xe9.bmp"; // a picture, not UTF-8

private slots:
    void initTestCase()
    {
        ::umask(022); // the usual one
        qputenv("HOME", QFile::encodeName(m_folder.path()));
        qputenv("PATH", QFile::encodeName(m_folder.path()) + ':' + qgetenv("PATH"));
        writeBytes(m_folder.filePath("feh"), kFakeTool);
        QFile::setPermissions(m_folder.filePath("feh"), QFile::ReadOwner | QFile::ExeOwner);
        QFile::link("feh", m_folder.filePath("gsettings"));
        QDir().mkpath(m_pictures);
        createFiles(m_pictures, {"sun.bmp", "p.jpg", "p.JPG", "p.jpeg", "p.JPEG", "a.gif", "a.GIF", "c.avi"});
        writePicture(m_folder.filePath("x.bmp"));
        fs::rename(QFile::encodeName(m_folder.filePath("x.bmp")).constData(), m_odd.constData());
    }
    void cleanupTestCase() { fs::remove_all(QFile::encodeName(m_folder.path()).constData()); } // QDir misses odd names

    // Lines end in CR LF or LF, the last one maybe not; text is UTF-8, or else Windows-1252. Lines
    // appended follow a whole last line, and the file becomes UTF-8 as a whole.
    void readsAndAppends_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("kept"); // before the line appended; null: the bytes as they were
        QTest::newRow("missing") << QByteArray() << QStringList() << QByteArray();
        QTest::newRow("empty") << QByteArray("") << QStringList() << QByteArray();
        QTest::newRow("CR LF, LF, CR, unended") << QByteArray("a\r\n\r\nb\rc\nd") << QStringList{"a", "", "b\rc", "d"}
                                                << QByteArray("a\r\n\r\nb\rc\nd\r\n");
        QTest::newRow("empty last") << QByteArray("a\r\n\r\n") << QStringList{"a", ""} << QByteArray();
        QTest::newRow("utf-8") << QByteArray("\xc3\xa9 \xe2\x82\xac\n") << QStringList{"é €"} << QByteArray();
        QTest::newRow("windows-1252") << QByteArray("\xe9 \x80 \x93x\x94") << QStringList{"é € “x”"}
                                      << QByteArray("\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d\r\n");
    }
    void readsAndAppends()
    {
        QFETCH(QByteArray, bytes); QFETCH(QStringList, lines); QFETCH(QByteArray, kept);
        QTemporaryDir dir;
        if (!bytes.isNull()) writeBytes(dir.filePath("f.ini"), bytes);
        const TextFileRead read = readTextLines(dir.filePath("f.ini"));
        QCOMPARE(read.lines, lines);
        QCOMPARE(read.failure ? read.failure->text() : QString(), bytes.isNull() ? "53 File not found" : QString());
        QVERIFY(!appendTextLines(dir.filePath("f.ini"), {"N=1"}));
        QCOMPARE(readBytes(dir.filePath("f.ini")), (kept.isNull() ? bytes : kept) + "N=1\r\n");
    }

    // The text replaces f.ini, written through via (through a link named "link" to via, when via starts
    // with "/" or "."), whole or not at all.
    void writesInOneStep_data()
    {
        QTest::addColumn<QString>("via");
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<int>("mode"); // of f.ini, before (when there) and after
        QTest::addColumn<int>("error"); // -1: any
        QTest::newRow("new file takes the usual mode") << "f.ini" << QByteArray() << 0644 << 0;
        QTest::newRow("keeps the mode of the one replaced") << "f.ini" << QByteArray("old") << 0604 << 0;
        QTest::newRow("read-only file refused and kept") << "f.ini" << QByteArray("old") << 0444 << EACCES;
        QTest::newRow("failed write leaves the old whole") << "f.ini/sub/f" << QByteArray("old") << 0644 << -1;
        QTest::newRow("replaces the target of an absolute link") << "/f.ini" << QByteArray("old") << 0644 << 0;
        QTest::newRow("makes the target of a relative link") << "./f.ini" << QByteArray() << 0644 << 0;
    }
    void writesInOneStep()
    {
        QFETCH(QString, via); QFETCH(QByteArray, before); QFETCH(int, mode); QFETCH(int, error);
        QTemporaryDir dir;
        if (!before.isNull()) writeBytes(dir.filePath("f.ini"), before);
        ::chmod(QFile::encodeName(dir.filePath("f.ini")).constData(), mode);
        const bool link = !via.startsWith('f');
        if (link) QVERIFY(QFile::link(via.startsWith('/') ? dir.path() + via : via, dir.filePath("link")));
        const MaybeFailure failure = writeTextLines(dir.filePath(link ? "link" : via), {"A=é", "B= x = y "});
        QCOMPARE(failure ? (error < 0 ? -1 : failure->systemError) : 0, error);
        QCOMPARE(readBytes(dir.filePath("f.ini")), error ? before : QByteArray("A=\xc3\xa9\r\nB= x = y \r\n"));
        QCOMPARE(folderEntries(dir.path()).join(' '), link ? "f.ini link" : "f.ini");
        QCOMPARE(int(fs::status(dir.filePath("f.ini").toStdString()).permissions()), mode);
    }

    void namesAndPaths()
    {
        QCOMPARE(decodeFileName("\xc3\xa9t\xc3\xa9 \xf0\x9f\x93\xb7.jpg"), "été 📷.jpg");
        // Each byte outside valid UTF-8 becomes a lone surrogate of its own, and encodes back to itself.
        for (const auto &[bytes, n] : {std::pair<QByteArray, int>{"\xe9t\xe9.jpg", 2}, {"cut\xc3", 1}, {"\xc0\xaf", 2},
                                       {"\xed\xa0\x80", 3}, {"\xf4\x90\x80\x80", 4}, {"\x80\xbf", 2}}) {
            const QString name = decodeFileName(bytes);
            QCOMPARE(std::ranges::count_if(name, [](QChar c) { return c >= u'\xdc80' && c <= u'\xdcff'; }), n);
            QCOMPARE(encodeFileName(name), bytes);
        }
        for (const QString name : {"gone", "feh"}) { // missing, or a file (the fake tool) and no folder
            QCOMPARE(readFolder(m_folder.filePath(name)).failure.value_or(Failure()).kind, FailureKind::PathNotFound);
            QCOMPARE(checkFolder(m_folder.filePath(name)).value_or(Failure()).kind, FailureKind::PathNotFound);
        }
        QCOMPARE(joinPath("/", "a.jpg"), "/a.jpg");
        QCOMPARE(parentFolder("/") + '|' + parentFolder("/a") + '|' + parentFolder("/a/b"), "|/|/a");
        // In a chroot or a sandbox the mount table may not list "/": the root file system is there all the same.
        setVolumesOverride(QList<Volume>{{"/media/stick", "USB", true}});
        const bool ready = volumeOf("/tmp/pictures") == kRootVolume && volumeIsReady(kRootVolume);
        setVolumesOverride(std::nullopt);
        QVERIFY(ready);
    }

    // Another program adds, removes or renames entries of the folder on show (shown, beside other): the
    // names it touched are told, in one go; the folder itself removed or moved away ends the watch quietly.
    void toldOfOtherProgramsChanges_data()
    {
        QTest::addColumn<QByteArray>("from");   // empty: to is made
        QTest::addColumn<QByteArray>("to");     // empty: from is removed
        QTest::addColumn<QStringList>("names"); // none: the watch ends
        QTest::newRow("added") << QByteArray() << QByteArray("shown/new") << QStringList{"new"};
        QTest::newRow("added, not UTF-8") << QByteArray() << QByteArray("shown/\xe9t\xe9")
                                          << QStringList{decodeFileName("\xe9t\xe9")};
        QTest::newRow("removed") << QByteArray("shown/old") << QByteArray() << QStringList{"old"};
        QTest::newRow("renamed in") << QByteArray("other/in") << QByteArray("shown/in") << QStringList{"in"};
        QTest::newRow("renamed out") << QByteArray("shown/old") << QByteArray("other/old") << QStringList{"old"};
        QTest::newRow("renamed inside") << QByteArray("shown/old") << QByteArray("shown/new")
                                        << QStringList{"new", "old"};
        QTest::newRow("folder moved away") << QByteArray("shown") << QByteArray("other/shown") << QStringList();
        QTest::newRow("folder removed") << QByteArray("shown") << QByteArray() << QStringList();
    }
    void toldOfOtherProgramsChanges()
    {
        QFETCH(QByteArray, from); QFETCH(QByteArray, to); QFETCH(QStringList, names);
        const QString base = m_folder.filePath(QTest::currentDataTag()); // removed with the odd names in it
        createFiles(base + "/shown", {"old"});
        createFiles(base + "/other", {"in"});
        FolderWatch watch;
        QSignalSpy told(&watch, &FolderWatch::namesChanged);
        watch.watch(base + "/shown");
        const QByteArray root = QFile::encodeName(base) + '/';
        if (from.isEmpty()) std::ofstream((root + to).constData()) << "x";
        else if (to.isEmpty()) fs::remove_all((root + from).constData());
        else QCOMPARE(::rename((root + from).constData(), (root + to).constData()), 0);
        QTRY_COMPARE(told.size() + int(watch.folder().isEmpty()), 1);
        QCOMPARE(watch.folder().isEmpty(), names.isEmpty());
        QStringList toldNames = told.value(0).value(0).toStringList();
        toldNames.sort();
        QCOMPARE(toldNames, names);
    }

    // More changes than the system keeps before the program reads them: which ones is lost, so the
    // whole folder is read again.
    void rereadWhenTheSystemLostTrack()
    {
        QTemporaryDir dir;
        FolderWatch watch;
        QSignalSpy reread(&watch, &FolderWatch::rereadNeeded);
        watch.watch(dir.path());
        const int kept = readBytes("/proc/sys/fs/inotify/max_queued_events").trimmed().toInt();
        const QByteArray a = QFile::encodeName(dir.filePath("a")), b = QFile::encodeName(dir.filePath("b"));
        std::ofstream(a.constData());
        for (int i = 0; i <= kept / 4; ++i) // a rename is two events
            QVERIFY(::rename(a.constData(), b.constData()) == 0 && ::rename(b.constData(), a.constData()) == 0);
        QTRY_COMPARE(reread.size(), 1);
    }

    // Network and user-space file systems tell only of this machine's changes, if at all; f_type may come
    // sign-extended where it is 32 bits wide.
    void classifiesFileSystems_data()
    {
        QTest::addColumn<long>("type");
        QTest::addColumn<bool>("notifies");
        for (const auto &[name, type, notifies] : std::initializer_list<std::tuple<const char *, long, bool>>{
                 {"ext4", 0xEF53, true}, {"tmpfs", 0x01021994, true}, {"btrfs", 0x9123683E, true},
                 {"btrfs, 32 bits", qint32(0x9123683E), true}, {"NFS", 0x6969, false}, {"SMB", 0x517B, false},
                 {"CIFS", 0xFF534D42, false}, {"CIFS, 32 bits", qint32(0xFF534D42), false}, {"SMB2", 0xFE534D42, false},
                 {"FUSE", 0x65735546, false}, {"9P", 0x01021997, false}, {"Ceph", 0x00C36400, false},
                 {"AFS", 0x5346414F, false}, {"Coda", 0x73757245, false}})
            QTest::newRow(name) << type << notifies;
    }
    void classifiesFileSystems()
    {
        QFETCH(long, type); QFETCH(bool, notifies);
        QCOMPARE(notifiesChanges(type), notifies);
    }

    // A box names exactly the file it acts on, whatever characters the name holds. An errno that
    // equals one of the program's own numbers is still the system's failure, told as the system does.
    void messagesSayWhatHappened()
    {
        const QString text = "Move /p/a<b>c&amp;<br>d.jpg to the trash?";
        QMessageBox box;
        prepareMessageBox(box, {"Delete", text, MessageIcon::Question, MessageButtons::OkCancel, MessageAnswer::Ok});
        const auto *label = box.findChild<QLabel *>("qt_msgbox_label");
        QVERIFY(label && label->textFormat() == Qt::PlainText && label->text() == text);
        const auto sys = [](int e) { return QString::number(e) + ' ' + QString::fromLocal8Bit(std::strerror(e)); };
        FakeMessages messages;
        for (const int e : {EOVERFLOW, ENOTUNIQ, ENOENT, ECANCELED}) showFailure(Failure::fromErrno(e));
        QCOMPARE(messages.texts(), (QStringList{sys(EOVERFLOW), sys(ENOTUNIQ), "53 File not found", sys(ECANCELED)}));
        QCOMPARE(Failure::fromErrno(ECANCELED).kind, FailureKind::Cancelled);
    }

    // Names are kept as bytes, whatever their encoding, and never replace one another; the info file
    // names them percent-encoded. The home, not made yet, is made with its trash. Each row trashes
    // name, which goes to the trash as "as", after the rows before it.
    void trashesByTheBytesOfTheName()
    {
        const QByteArray folder = QFile::encodeName(m_folder.path()), home = folder + "/fresh";
        qputenv("HOME", home);
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/";
        for (const auto &[name, encoded, as] : {Bytes3{"\xe9t\xe9.jpg", "%E9t%E9.jpg", "\xe9t\xe9.jpg"},
                                                Bytes3{"\xc3\xa9t.jpg", "%C3%A9t.jpg", "\xc3\xa9t.jpg"},
                                                Bytes3{"a b%<c>.jpg", "a%20b%25%3Cc%3E.jpg", "a b%<c>.jpg"},
                                                Bytes3{"a b%<c>.jpg", "a%20b%25%3Cc%3E.jpg", "a b%<c>.2.jpg"}}) {
            std::ofstream((folder + '/' + name).constData()) << as.constData();
            const TrashResult result = moveToTrash(folder + '/' + name);
            QCOMPARE(result.trashed.file, QFile::encodeName(trash + "files/") + as);
            QCOMPARE(result.trashed.info, QFile::encodeName(trash + "info/") + as + ".trashinfo");
            QVERIFY(!fs::exists((folder + '/' + name).constData()) && contents(result.trashed.file) == as);
            QVERIFY(isInfoOf(contents(result.trashed.info), folder.toPercentEncoding("/") + '/' + encoded));
        }
        QVERIFY(fs::status(home.constData()).permissions() == fs::perms::owner_all);
        QVERIFY(moveToTrash(folder + "/gone.jpg").failure);
        QCOMPARE(std::distance(fs::directory_iterator(QFile::encodeName(trash + "info").constData()), {}), 4);
    }

    // A unit deleted for good leaves nothing behind, also with names as long as a folder takes.
    void deletesAUnitForGood()
    {
        const QString folder = m_folder.filePath("forgood");
        QDir().mkpath(folder);
        const QStringList unit{folder + '/' + QString(251, 'n') + ".jpg", folder + "/n.cr2"};
        for (const QString &path : unit) testsupport::writeBytes(path, "picture");
        const UnitDeletion deletion = deleteForGood(unit);
        QVERIFY2(!deletion.failure, qPrintable(deletion.failure.value_or(Failure{}).text()));
        QCOMPARE(deletion.deleted, unit);
        QCOMPARE(testsupport::folderEntries(folder), QStringList());
    }

    // On another volume a file goes to that volume's own trash, named relative to its top, also when
    // reached through a link from elsewhere.
    void otherVolumeUsesItsOwnTrash()
    {
        ScratchVolume volume("1m");
        if (!volume.mounted()) SHELFMASTER_SKIP("needs root to mount a second file system");
        const QByteArray top = QFile::encodeName(volume.path()), link = QFile::encodeName(m_folder.filePath("link"));
        fs::create_symlink(top.constData(), link.constData());
        std::ofstream((top + "/b c.jpg").constData()) << "picture";
        const TrashResult result = moveToTrash(link + "/b c.jpg");
        QCOMPARE(result.trashed.file, top + "/.Trash-" + QByteArray::number(::getuid()) + "/files/b c.jpg");
        QCOMPARE(contents(result.trashed.file), "picture");
        QVERIFY(isInfoOf(contents(result.trashed.info), "b%20c.jpg"));
    }

    // Success is what the desktop names afterwards (given, $LOST after it), not what its tool says. A name
    // that is not UTF-8 reaches the tools byte for byte, or is refused where the desktop keeps text.
    void wallpaper()
    {
        const auto desktop = [&](const QByteArray &name, const QByteArray &lost = {}) {
            QFile::remove(m_folder.filePath("kept"));
            qputenv("XDG_CURRENT_DESKTOP", name);
            qputenv("LOST", lost);
        };
        const QByteArray uri = "'file://" + m_odd.toPercentEncoding("/") + "'";
        for (const auto &[name, lost, given] : {Bytes3{"GNOME", "", uri}, {"GNOME", "x", uri}, {"", "", m_odd},
                                                {"", "x", m_odd}, {"MATE", "", ""}}) {
            desktop(name, lost);
            QCOMPARE(setDesktopWallpaper(decodeFileName(m_odd)), lost.isEmpty() && !given.isEmpty());
            QCOMPARE(readBytes(m_folder.filePath("kept")), given.isEmpty() ? given : given + lost);
        }
        ProgramHarness harness;
        harness.setStartFolder(m_pictures);
        harness.start();
        const auto put = [&](const QString &file, MessageAnswer answer = MessageAnswer::Ok, const char *lost = "") {
            desktop("GNOME", lost);
            harness.clickFile(file);
            harness.messages.shown.clear();
            harness.messages.answerNext(answer);
            harness.main().findChild<QAction *>("btnDesktop")->trigger();
            return harness.messages.texts().join('|').replace(m_pictures, "$DIR");
        };
        const QString asked = "Do you want to put $DIR/%1 as wallpaper?|";
        const QString failed = "Error changing wallpaper, $DIR/%1 does not exist or is an invalid wallpaper";
        QCOMPARE(put("sun.bmp"), asked.arg("sun.bmp") + "$DIR/sun.bmp is now a wallpaper");
        QCOMPARE(harness.messages.shown.first().buttons, MessageButtons::OkCancel);
        QCOMPARE(put("sun.bmp", MessageAnswer::Cancel), asked.arg("sun.bmp") + "The operation was canceled");
        QVERIFY(!QFile::exists(m_folder.filePath("kept")));
        QCOMPARE(put("sun.bmp", MessageAnswer::Ok, "x"), asked.arg("sun.bmp") + failed.arg("sun.bmp"));
        QCOMPARE(put("c.avi"), asked.arg("c.avi") + failed.arg("c.avi"));
        for (const QString file : {"p.jpg", "p.JPG", "p.jpeg", "p.JPEG", "a.gif", "a.GIF"})
            QCOMPARE(put(file), "The image is not a valid bitmap, it must be a *.BMP file");
    }
};

SHELFMASTER_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"

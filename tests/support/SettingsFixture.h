#pragma once

#include "ProgramHarness.h"
#include "platform/Volumes.h"
#include "quickgroup/frmQuickGroup.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

// The four lines of an area record as the areas file holds them.
inline QByteArray areaRecord(const QByteArray &name, const QByteArray &group, const QByteArray &path,
                             const QByteArray &shortcut = {})
{
    return "AREA=" + name + "\r\nGROUP=" + group + "\r\nPATH=" + path + "\r\nSHORTCUT=" + shortcut + "\r\n";
}

// The whole program started over a folder tree of its own, with the main window's lists and
// the settings dialog's controls at hand by name. "$ROOT" in catalogue files stands for the
// tree's root, the folder the program starts in. The one fixture of every GUI test.
class SettingsFixture {
    QTemporaryDir m_root; // first made, last removed

public:
    // The standard tree: groups Animals and Travel; in Animals, Cats (key F2) in areas/cats,
    // Dogs in areas/dogs/ (written with a trailing slash), Gone (key Ctrl+G) whose folder does
    // not exist; in Travel, another Cats (key F3) in areas/travelcats; the four pictures
    // a.jpg to d.jpg in the root. Other trees extend these constants.
    static inline const QByteArray kGroups = "GROUP=Animals\r\nGROUP=Travel\r\n";
    static inline const QByteArray kAreas = areaRecord("Cats", "Animals", "$ROOT/areas/cats", "F2") +
                                            areaRecord("Dogs", "Animals", "$ROOT/areas/dogs/") +
                                            areaRecord("Gone", "Animals", "$ROOT/areas/gone", "Ctrl+G") +
                                            areaRecord("Cats", "Travel", "$ROOT/areas/travelcats", "F3");
    static inline const QStringList kFolders{"areas/cats", "areas/dogs", "areas/travelcats"};
    static inline const QStringList kPictures{"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
    SettingsFixture() : SettingsFixture(kGroups, kAreas, kFolders, kPictures) {}

    // Folders and files (pictures for picture names) made under the root, and the options file
    // with the default options, before the program starts.
    SettingsFixture(const QByteArray &groups, const QByteArray &areas, const QStringList &folders = {},
                    const QStringList &files = {})
    {
        // Autoname strips the folders down to the tree's root: "areas/cats" is named "areas-cats".
        const QString belowVolume = root().mid(platform::volumeOf(root()).size());
        settings::writeSettingsFile({.nrOfDir = QString::number(belowVolume.split('/', Qt::SkipEmptyParts).size())});
        for (const QString &relative : folders) QDir().mkpath(folder(relative));
        harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), groups);
        harness.writeProgramFile(QStringLiteral("MSAREA.INI"), QByteArray(areas).replace("$ROOT", root().toUtf8()));
        start(files);
    }
    // Nothing in the program directory: the program's very first start, in the tree's root
    // holding these files.
    explicit SettingsFixture(const QStringList &files) { start(files); }

    QString root() const { return m_root.path(); }
    QString folder(const QString &relative) const { return m_root.filePath(relative); }
    frmMain &main() { return harness.main(); }
    frmSettings &settings() { return main().settings(); }
    // Changes the options the program works with, as the settings dialog would.
    void setOptions(const std::function<void(settings::Options &)> &change)
    {
        settings::Options options = main().options();
        change(options);
        main().setOptions(options);
    }
    // Clicks the first file, then selects the others as well.
    void select(const QStringList &files)
    {
        harness.clickFile(files.first());
        for (const QString &name : files) main().File1->setSelected(int(harness.listedFiles().indexOf(name)), true);
    }
    // Double-clicks the area of that name in the area list (of the group chosen).
    void sortInto(const QString &area) { testsupport::clickItem(*main().lstArea, area, true); }

    void openSettings()
    {
        main().findChild<QAction *>(QStringLiteral("mnuSettings"))->trigger();
        QVERIFY(settings().isVisible());
    }
    // A control of the settings dialog, or of the window it opened (the create-directory dialog).
    template <class Widget = QWidget>
    Widget *control(const char *name)
    {
        QWidget *widget = settings().findChild<QWidget *>(QLatin1String(name));
        if (QWidget *modal = QApplication::activeModalWidget(); !widget && modal)
            widget = modal->findChild<QWidget *>(QLatin1String(name));
        if (!qobject_cast<Widget *>(widget)) qFatal("no control %s of the expected kind", name);
        return qobject_cast<Widget *>(widget);
    }
    // Clicks with the mouse, so a hidden or disabled control does nothing, as for a user.
    void click(const char *name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    // Picks the entry of a drop-down list as a user does.
    void choose(const char *name, const QString &entry)
    {
        auto *list = control<QComboBox>(name);
        list->setCurrentText(entry);
        if (list->currentText() != entry) qFatal("%s does not offer %s", name, qPrintable(entry));
        emit list->activated(list->currentIndex());
    }
    // Replaces the text of a text box by typing.
    void type(const char *name, const QString &text)
    {
        control<QLineEdit>(name)->selectAll();
        QTest::keyClick(control(name), Qt::Key_Delete);
        QTest::keyClicks(control(name), text);
    }

    // "$ROOT" in place of the tree's root, as the fixture's files were written.
    QByteArray programFile(const QString &name) const
    {
        return testsupport::readBytes(QDir(harness.programDir()).filePath(name)).replace(root().toUtf8(), "$ROOT");
    }
    QStringList groupSelector() { return testsupport::itemTexts(*main().cmbCatalog->view()); }
    QStringList listedAreas() { return testsupport::itemTexts(*main().lstArea); }
    QStringList paletteLabels()
    {
        QStringList labels;
        const frmQuickGroup &palette = harness.program().palette();
        for (int i = 1; i <= palette.groupCount(); ++i) labels << palette.groupLabel(i)->text();
        return labels;
    }

    ProgramHarness harness;

private:
    void start(const QStringList &files)
    {
        testsupport::createFiles(root(), files);
        harness.setStartFolder(root());
        harness.start();
    }
};

#pragma once

#include "ProgramHarness.h"

#include <QTemporaryDir>
#include <QTest>

class frmSettings;

// The whole program started over a folder tree of its own, with the settings dialog's
// controls at hand by name. "$ROOT" in catalogue files stands for the tree's root.
class SettingsFixture {
    QTemporaryDir m_root; // first made, last removed

public:
    // Folders and files (pictures for picture names) made under the root before the program
    // starts in it.
    SettingsFixture(const QByteArray &groups, const QByteArray &areas, const QStringList &folders = {},
                    const QStringList &files = {});
    // Nothing in the program directory: the program's very first start, in the tree's root
    // holding these files.
    explicit SettingsFixture(const QStringList &files);

    QString root() const { return m_root.path(); }
    QString folder(const QString &relative) const { return m_root.filePath(relative); }
    frmMain &main() { return harness.main(); }
    frmSettings &settings();

    void openSettings();
    QWidget *control(const char *name);
    template <class Widget>
    Widget *control(const char *name)
    {
        auto *widget = qobject_cast<Widget *>(control(name));
        if (!widget)
            qFatal("%s is not of the expected kind", name);
        return widget;
    }
    // Clicks with the mouse, so a hidden or disabled control does nothing, as for a user.
    void click(const char *name);
    // Picks the entry of a drop-down list as a user does.
    void choose(const char *name, const QString &entry);
    // Replaces the text of a text box by typing.
    void type(const char *name, const QString &text);

    // "$ROOT" in place of the tree's root, as the fixture's files were written.
    QByteArray programFile(const QString &name) const;
    QStringList groupSelector();
    QStringList listedAreas();
    QStringList paletteLabels();

    ProgramHarness harness;

private:
    void start(const QByteArray &groups, const QByteArray &areas, const QStringList &folders,
               const QStringList &files);
};

// The four lines of an area record as the areas file holds them.
QByteArray areaRecord(const QByteArray &name, const QByteArray &group, const QByteArray &path,
                      const QByteArray &shortcut = {});

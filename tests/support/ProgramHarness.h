#pragma once

#include "FakeMessages.h"
#include "app/Program.h"

#include <QRect>
#include <QTemporaryDir>

class frmMain;

// Starts the whole program as main() does, against a temporary program directory, a fake
// screen and recorded message boxes. The splash is dismissed with a key as soon as it shows.
class ProgramHarness {
public:
    explicit ProgramHarness(QRect screen = QRect(0, 0, 1920, 1080), double dpi = 96.0);
    ~ProgramHarness();

    QString programDir() const { return m_programDir.path(); }
    void writeProgramFile(const QString &name, const QByteArray &bytes) const;

    // The folder the program starts in (the process's current folder); the program directory
    // unless chosen.
    void setStartFolder(const QString &folder) { m_startFolder = folder; }
    void start();
    // Starts in a folder of its own holding files (pictures for picture names); returns it.
    QString startIn(const QStringList &files);
    bool splashWasModal() const { return m_splashWasModal; }

    app::Program &program() { return *m_program; }
    // Clicks (or double-clicks) the file of that name in the main window's file list.
    void clickFile(const QString &name);
    void doubleClickFile(const QString &name);
    // The names in the main window's file list, and those of them that are selected.
    QStringList listedFiles();
    QStringList selectedFiles();
    frmMain &main();

    FakeMessages messages;

private:
    QTemporaryDir m_programDir;
    QTemporaryDir m_ownFolder;
    QString m_startFolder;
    QString m_originalFolder;
    std::unique_ptr<app::Program> m_program;
    bool m_splashWasModal = false;
};

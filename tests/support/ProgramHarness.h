#pragma once

#include "FakeMessages.h"
#include "TestSupport.h"
#include "app/Program.h"
#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/ProgramDirectory.h"
#include "platform/Screen.h"

#include <QTimer>

// Starts the whole program as main() does, against a temporary program directory, a fake
// screen and recorded message boxes. The splash is dismissed with a key as soon as it shows.
// GUI tests use it through SettingsFixture, which gives it a folder tree to start in.
class ProgramHarness {
public:
    explicit ProgramHarness(QRect screen = QRect(0, 0, 1920, 1080), double dpi = 96.0)
    {
        platform::setProgramDirectoryOverride(m_programDir.path());
        platform::setScreenMetricsOverride(platform::ScreenMetrics{screen, dpi});
        app::configureApplication();
    }
    ~ProgramHarness()
    {
        m_program.reset();
        QDir::setCurrent(m_originalFolder);
        platform::setScreenMetricsOverride(std::nullopt);
        platform::setProgramDirectoryOverride(QString());
    }

    QString programDir() const { return m_programDir.path(); }
    void writeProgramFile(const QString &name, const QByteArray &bytes) const
    {
        testsupport::writeBytes(programDir() + '/' + name, bytes);
    }
    // The folder the program starts in (the process's current folder); the program directory
    // unless chosen.
    void setStartFolder(const QString &folder) { m_startFolder = folder; }
    // Starts the program; when it runs, ends it and starts it again.
    void start()
    {
        m_program.reset();
        QDir::setCurrent(m_startFolder.isEmpty() ? programDir() : m_startFolder);
        m_program = std::make_unique<app::Program>();
        QTimer::singleShot(0, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            m_splashWasModal = modal && modal->objectName() == QLatin1String("frmSplash");
            if (modal) QTest::keyClick(modal, Qt::Key_Space);
        });
        m_program->start();
    }
    bool splashWasModal() const { return m_splashWasModal; }

    app::Program &program() { return *m_program; }
    frmMain &main() { return m_program->mainWindow(); }
    // Clicks (or double-clicks) the file of that name in the main window's file list.
    void clickFile(const QString &name, bool twice = false) { testsupport::clickItem(*main().File1, name, twice); }
    void doubleClickFile(const QString &name) { clickFile(name, true); }
    // The names in the main window's file list, and those of them that are selected.
    QStringList listedFiles() { return testsupport::itemTexts(*main().File1); }
    QStringList selectedFiles() { return testsupport::itemTexts(*main().File1, true); }

    FakeMessages messages;

private:
    QTemporaryDir m_programDir;
    QString m_startFolder, m_originalFolder = QDir::currentPath();
    std::unique_ptr<app::Program> m_program;
    bool m_splashWasModal = false;
};

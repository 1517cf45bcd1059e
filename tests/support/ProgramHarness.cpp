#include "ProgramHarness.h"

#include "app/frmMain.h"
#include "browse/FileListBox.h"
#include "platform/ProgramDirectory.h"
#include "platform/Screen.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

ProgramHarness::ProgramHarness(QRect screen, double dpi)
    : m_originalFolder(QDir::currentPath())
{
    platform::setProgramDirectoryOverride(m_programDir.path());
    platform::setScreenMetricsOverride(platform::ScreenMetrics{screen, dpi});
    app::configureApplication();
}

ProgramHarness::~ProgramHarness()
{
    m_program.reset();
    QDir::setCurrent(m_originalFolder);
    platform::setScreenMetricsOverride(std::nullopt);
    platform::setProgramDirectoryOverride(QString());
}

void ProgramHarness::writeProgramFile(const QString &name, const QByteArray &bytes) const
{
    testsupport::writeBytes(m_programDir.filePath(name), bytes);
}

void ProgramHarness::start()
{
    QDir::setCurrent(m_startFolder.isEmpty() ? programDir() : m_startFolder);
    m_program = std::make_unique<app::Program>();
    QTimer::singleShot(0, [this] {
        QWidget *modal = QApplication::activeModalWidget();
        m_splashWasModal = modal && modal->objectName() == QLatin1String("frmSplash");
        if (modal)
            QTest::keyClick(modal, Qt::Key_Space);
    });
    m_program->start();
}

QString ProgramHarness::startIn(const QStringList &files)
{
    testsupport::createFiles(m_ownFolder.path(), files);
    setStartFolder(m_ownFolder.path());
    start();
    return m_ownFolder.path();
}

QStringList ProgramHarness::listedFiles()
{
    QStringList names;
    for (int i = 0; i < main().File1->ListCount(); ++i)
        names << main().File1->List(i);
    return names;
}

QStringList ProgramHarness::selectedFiles()
{
    QStringList names;
    for (int i = 0; i < main().File1->ListCount(); ++i) {
        if (main().File1->Selected(i))
            names << main().File1->List(i);
    }
    return names;
}

frmMain &ProgramHarness::main()
{
    return m_program->mainWindow();
}

namespace {

QPoint centreOfFile(const browse::FileListBox &list, const QString &name)
{
    for (int row = 0; row < list.ListCount(); ++row) {
        if (list.List(row) == name)
            return list.visualRect(list.model()->index(row, 0)).center();
    }
    qFatal("%s is not listed", qPrintable(name));
}

} // namespace

void ProgramHarness::clickFile(const QString &name)
{
    QTest::mouseClick(main().File1->viewport(), Qt::LeftButton, {}, centreOfFile(*main().File1, name));
}

void ProgramHarness::doubleClickFile(const QString &name)
{
    // A double click is a press and a release, then the second press.
    clickFile(name);
    QTest::mouseDClick(main().File1->viewport(), Qt::LeftButton, {}, centreOfFile(*main().File1, name));
}

#include "SettingsFixture.h"

#include "TestSupport.h"
#include "app/frmMain.h"
#include "quickgroup/frmQuickGroup.h"
#include "platform/Volumes.h"
#include "settings/SettingsFile.h"
#include "settings/frmSettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

SettingsFixture::SettingsFixture(const QByteArray &groups, const QByteArray &areas, const QStringList &folders,
                                 const QStringList &files)
{
    start(groups, areas, folders, files);
}

SettingsFixture::SettingsFixture(const QStringList &files)
{
    testsupport::createFiles(root(), files);
    harness.setStartFolder(root());
    harness.start();
}

void SettingsFixture::start(const QByteArray &groups, const QByteArray &areas, const QStringList &folders,
                            const QStringList &files)
{
    testsupport::createFiles(root(), files);
    // Autoname strips the folders down to the tree's root: "areas/cats" is named "areas-cats".
    settings::Options options;
    const QString below = root().mid(platform::volumeOf(root()).size());
    options.nrOfDir = QString::number(below.split(QLatin1Char('/'), Qt::SkipEmptyParts).size());
    if (options.nrOfDir.size() != 1)
        qFatal("the temporary folder lies too deep for a one-digit strip count");
    settings::writeSettingsFile(options);
    for (const QString &relative : folders)
        QDir().mkpath(folder(relative));
    harness.writeProgramFile(QStringLiteral("MSGROUP.INI"), groups);
    QByteArray withRoot = areas;
    harness.writeProgramFile(QStringLiteral("MSAREA.INI"), withRoot.replace("$ROOT", root().toUtf8()));
    harness.setStartFolder(root());
    harness.start();
}

frmSettings &SettingsFixture::settings()
{
    return main().settings();
}

void SettingsFixture::openSettings()
{
    main().findChild<QAction *>(QStringLiteral("mnuSettings"))->trigger();
    QVERIFY(settings().isVisible());
}

QWidget *SettingsFixture::control(const char *name)
{
    // The create-directory dialog is a window of its own.
    QWidget *widget = settings().findChild<QWidget *>(QLatin1String(name));
    if (!widget) {
        if (QWidget *modal = QApplication::activeModalWidget())
            widget = modal->findChild<QWidget *>(QLatin1String(name));
    }
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

void SettingsFixture::click(const char *name)
{
    QWidget *button = control(name);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

void SettingsFixture::choose(const char *name, const QString &entry)
{
    auto *list = control<QComboBox>(name);
    const int index = list->findText(entry, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        qFatal("%s does not offer %s", name, qPrintable(entry));
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void SettingsFixture::type(const char *name, const QString &text)
{
    auto *box = control<QLineEdit>(name);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

QByteArray SettingsFixture::programFile(const QString &name) const
{
    return testsupport::readBytes(QDir(harness.programDir()).filePath(name)).replace(root().toUtf8(), "$ROOT");
}

QStringList SettingsFixture::groupSelector()
{
    QStringList groups;
    for (int i = 0; i < main().cmbCatalog->count(); ++i)
        groups << main().cmbCatalog->itemText(i);
    return groups;
}

QStringList SettingsFixture::listedAreas()
{
    QStringList names;
    for (int i = 0; i < main().lstArea->count(); ++i)
        names << main().lstArea->item(i)->text();
    return names;
}

QStringList SettingsFixture::paletteLabels()
{
    QStringList labels;
    frmQuickGroup &palette = harness.program().palette();
    for (int i = 1; i <= palette.groupCount(); ++i)
        labels << palette.groupLabel(i)->text();
    return labels;
}

QByteArray areaRecord(const QByteArray &name, const QByteArray &group, const QByteArray &path,
                      const QByteArray &shortcut)
{
    return "AREA=" + name + "\r\nGROUP=" + group + "\r\nPATH=" + path + "\r\nSHORTCUT=" + shortcut + "\r\n";
}

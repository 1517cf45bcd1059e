#include "fileops/frmRename.h"

#include "browse/BrowseContext.h"
#include "fileops/AreaTransfer.h"
#include "fileops/UndoJournal.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStyle>

frmRename::frmRename(browse::BrowseContext &files, fileops::UndoJournal &journal, QWidget *mainWindow)
    // No parent: the main window is disabled while the dialog is open, and a disabled window
    // disables the windows it owns.
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , Picture1(new QLabel(this))
    , Label1(new QLabel(QStringLiteral("Enter the new filename"), this))
    , txtNewFilename(new QLineEdit(files.currentName(), this))
    , cmdRename(new QPushButton(QStringLiteral("Rename"), this))
    , cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_files(files)
    , m_journal(journal)
    , m_folder(files.path())
    , m_oldName(files.currentName())
    , m_row(files.currentRow())
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmRename"));
    setWindowTitle(QStringLiteral("Rename a single file"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A click on the preview and a key out of habit would sort the file away under the dialog.
    setWindowModality(Qt::ApplicationModal);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(32, 32));
    Label1->setObjectName(QStringLiteral("Label1"));
    txtNewFilename->setObjectName(QStringLiteral("txtNewFilename"));
    cmdRename->setObjectName(QStringLiteral("cmdRename"));
    cmdRename->setDefault(true);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdRename, &QPushButton::clicked, this, &frmRename::cmdRename_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject); // Esc comes here too

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRename);
    buttons->addWidget(cmdCancel);
    auto *layout = new QGridLayout(this);
    layout->addWidget(Picture1, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(txtNewFilename, 1, 1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    txtNewFilename->setMinimumWidth(txtNewFilename->fontMetrics().averageCharWidth() * 40);
    adjustSize();
    move(mainWindow->frameGeometry().center() - rect().center());
}

void frmRename::cmdRename_Click()
{
    const QString newName = txtNewFilename->text();
    const QString newPath = platform::joinPath(m_folder, newName);
    if (m_oldName == newName) {
        reportFailure(platform::Failure{platform::FailureKind::FileAlreadyExists, QString()}, newPath);
        return;
    }
    if (!platform::isPlainFileName(newName)) {
        reportFailure(platform::Failure::fileNotFound(), newPath);
        return;
    }
    // The files that go with it take the new base name, each keeping its own ending; all names,
    // its own too, are checked in any letter case before the first file is renamed. One whose
    // name stays as it is (when only the picture's ending changes) is not renamed.
    QList<fileops::UnitMember> unit;
    QSet<QString> newNames;
    fileops::AreaNames taken;
    for (const QString &member : QStringList{m_oldName} + m_files.companions(m_oldName)) {
        const QString renamed = browse::renamedMember(member, m_oldName, newName);
        const QString renamedPath = platform::joinPath(m_folder, renamed);
        const fileops::NameLookup found = taken.find(m_folder, renamed);
        if (found.failure) {
            platform::showFailure(*found.failure);
            return;
        }
        // Two of them under one name, or another file's name: none is renamed.
        const bool own = renamed.toCaseFolded() == member.toCaseFolded();
        if ((!own && found.found) || newNames.contains(renamed.toCaseFolded())) {
            reportFailure(platform::Failure{platform::FailureKind::FileAlreadyExists, QString()}, renamedPath);
            return;
        }
        newNames.insert(renamed.toCaseFolded());
        if (renamed != member)
            unit.append({platform::joinPath(m_folder, member), renamedPath});
    }
    qsizetype failedMember = 0;
    if (const platform::MaybeFailure failure = m_journal.rename(unit, &failedMember)) {
        const fileops::UnitMember &failed = unit.at(failedMember);
        // Another program took the file away meanwhile: that is no fault of the new name.
        if (failure->kind == platform::FailureKind::FileNotFound && !platform::entryExists(failed.source))
            platform::showFailure(*failure);
        else
            reportFailure(*failure, failed.target);
        return;
    }
    // The list follows at once; the folder is read again in the background.
    m_files.renameEntry(m_oldName, newName);
    m_files.refreshInBackground();
    // A new name the list does not show takes the file out of it: the nearest entry is chosen.
    m_files.reselectAfterRename(m_row);
    accept();
}

void frmRename::reportFailure(const platform::Failure &failure, const QString &newPath)
{
    if (failure.kind == platform::FailureKind::FileNotFound)
        platform::message(newPath + QStringLiteral(" is not a valid filename"), platform::MessageIcon::Critical);
    else if (failure.kind == platform::FailureKind::FileAlreadyExists && newPath == platform::joinPath(m_folder, txtNewFilename->text()))
        platform::message(QStringLiteral("The filename already exists"), platform::MessageIcon::Critical);
    else if (failure.kind == platform::FailureKind::FileAlreadyExists)
        platform::message(QStringLiteral("The filename already exists: ") + newPath, platform::MessageIcon::Critical);
    else
        platform::showFailure(failure);
}

void frmRename::done(int result)
{
    // However the dialog closes, the main window takes input again.
    m_mainWindow->setEnabled(true);
    QDialog::done(result);
}

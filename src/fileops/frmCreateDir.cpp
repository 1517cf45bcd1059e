#include "fileops/frmCreateDir.h"

#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "browse/FolderPicker.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Naming.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::named;

frmCreateDir::frmCreateDir(browse::DirListBox &areaFolders, browse::DriveListBox &areaDrives, QWidget *parent)
    : QDialog(parent, Qt::Tool)
    // The dialog starts in the area editor's folder, on that folder's volume.
    , Dir1(named(new browse::DirListBox(areaFolders.Path(), this), "Dir1"))
    , Drive1(named(new browse::DriveListBox(areaFolders.Path(), this), "Drive1"))
    , lblName(named(new QLabel(QStringLiteral("Name:"), this), "lblName"))
    , txtName(named(new QLineEdit(this), "txtName"))
    , cmdCreate(named(new QPushButton(QStringLiteral("Create"), this), "cmdCreate"))
    , cmdCancel(named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel"))
    , m_areaFolders(areaFolders)
    , m_areaDrives(areaDrives)
{
    setObjectName(QStringLiteral("frmCreateDir"));
    setWindowTitle(QStringLiteral("Create Directory"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    lblName->setBuddy(txtName);
    cmdCreate->setDefault(true);
    cmdCreate->setEnabled(false);
    connect(txtName, &QLineEdit::textChanged, this, &frmCreateDir::txtName_Change);
    new browse::FolderPicker(*Drive1, *Dir1, this, [this](const platform::Failure &failure) {
        const bool fallBack = browse::FolderPicker::reportDriveNotReady(failure);
        if (!fallBack)
            txtName->setFocus();
        return fallBack;
    });
    connect(cmdCreate, &QPushButton::clicked, this, &frmCreateDir::cmdCreate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject); // Esc comes here too

    // Resizing the window gives room, not bigger controls.
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdCreate);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto *layout = new QGridLayout(this);
    layout->addWidget(Dir1, 0, 0, 1, 2);
    layout->addWidget(Drive1, 1, 0, 1, 2);
    layout->addWidget(lblName, 2, 0);
    layout->addWidget(txtName, 2, 1);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(2, 1);
    Dir1->setFixedSize(Dir1->fontMetrics().averageCharWidth() * 36, Dir1->fontMetrics().height() * 10);
    Drive1->setFixedWidth(Dir1->width());

    setTabOrder(txtName, Drive1);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, cmdCreate);
    setTabOrder(cmdCreate, cmdCancel);
    txtName->setFocus();
}

void frmCreateDir::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred once the window has its frame, which the desktop tells only when it shows.
    move(pos() + parentWidget()->frameGeometry().center() - frameGeometry().center());
}

void frmCreateDir::txtName_Change()
{
    cmdCreate->setEnabled(!txtName->text().isEmpty());
}

void frmCreateDir::cmdCreate_Click()
{
    const QString name = txtName->text();
    const QString path = platform::joinPath(Dir1->Path(), name);
    // A name with "/" or a name such as ".." would make a folder somewhere else.
    if (!platform::isPlainFileName(name)) {
        platform::message(name + QStringLiteral(" is not a valid filename"), platform::MessageIcon::Critical);
        txtName->clear();
        return;
    }
    platform::MaybeFailure failure = platform::makeFolder(path);
    if (!failure)
        failure = Dir1->setPath(path);
    if (failure) {
        if (failure->kind == platform::FailureKind::FileAlreadyExists)
            platform::message(QStringLiteral("Directory already exists"), platform::MessageIcon::Critical);
        else
            platform::showFailure(*failure);
        txtName->clear(); // which disables Create
        return;
    }
    m_areaFolders.setPath(Dir1->Path()); // the area editor proposes a name for the new folder
    m_areaDrives.setDrive(Dir1->Path());
    accept();
}

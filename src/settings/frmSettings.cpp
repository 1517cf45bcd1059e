#include "settings/frmSettings.h"

#include "platform/MessageBox.h"
#include "platform/Naming.h"
#include "platform/Screen.h"
#include "settings/AreaEditor.h"
#include "settings/EditorLayout.h"
#include "settings/GroupEditor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

using settings::Options;

using platform::named;

namespace {

// Check box values as the options file keeps them: 0 unchecked, 1 checked, 2 grayed.
int checkBoxValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void setCheckBoxValue(QCheckBox *box, int value)
{
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

QLineEdit *oneCharacterBox(const char *name)
{
    auto *box = named(new QLineEdit, name);
    box->setMaxLength(1);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 3);
    return box;
}

} // namespace

frmSettings::frmSettings(settings::CatalogueHost &catalogue, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);

    SSTab1 = named(new QTabWidget(this), "SSTab1");
    // The options tab comes first: autoname reads its controls.
    QWidget *optionsTab = createOptionsTab();
    SSTab1->addTab(createGroupAndAreaTab(catalogue), QStringLiteral("Group && Area"));
    SSTab1->addTab(optionsTab, QStringLiteral("Options"));
    SSTab1->addTab(createExitTab(), QStringLiteral("Exit settings"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setOptions(Options());
}

QWidget *frmSettings::createGroupAndAreaTab(settings::CatalogueHost &catalogue)
{
    auto *tab = new QWidget;
    // The editors' controls are placed for the 8.25-point font their layout was drawn with.
    QFont font = tab->font();
    font.setPointSizeF(8.25);
    tab->setFont(font);
    FrameSubjectSettings = new settings::AreaEditor(catalogue, [this] { return options(); }, tab);
    FrameCatalogSettings = new settings::GroupEditor(catalogue, *FrameSubjectSettings, tab);
    using namespace settings;
    platform::setChildGeometryTwips(FrameCatalogSettings, QRectF(120, kFrameTop, 3135, kFrameHeight));
    platform::setChildGeometryTwips(FrameSubjectSettings, QRectF(3360, kFrameTop, 3375, kFrameHeight));
    tab->setMinimumSize(platform::twipsToPixels(3360 + 3375 + 120), platform::twipsToPixels(kFrameTop + kFrameHeight + 120));
    connect(FrameSubjectSettings, &settings::AreaEditor::createDirClosed, this, &frmSettings::ReadSettings);

    cmdExitSettings = named(new QPushButton(QStringLiteral("Exit settings"), FrameSubjectSettings),
                            "cmdExitSettings");
    platform::setChildGeometryTwips(cmdExitSettings, QRectF(120, kBottomButtonsTop, 975, 375));
    connect(cmdExitSettings, &QPushButton::clicked, this, &QDialog::reject);
    return tab;
}

QWidget *frmSettings::createOptionsTab()
{
    auto *tab = new QWidget;

    frmFile = named(new QGroupBox(QStringLiteral("Files")), "frmFile");
    picRecycleBin = named(new QLabel, "picRecycleBin");
    picRecycleBin->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(32, 32));
    chkDeleteRecycle = named(new QCheckBox(QStringLiteral("Delete to Recycle bin")), "chkDeleteRecycle");
    optCopyDefault = named(new QRadioButton(QStringLiteral("Copy as default")), "optCopyDefault");
    optMoveDefault = named(new QRadioButton(QStringLiteral("Move as default")), "optMoveDefault");
    chkMoreKinds = named(new QCheckBox(QStringLiteral(
                             "Also list today's picture and movie files (PNG, WebP, TIFF, HEIC, AVIF, MP4, MKV, "
                             "WebM, 3GP, M4V)")),
                         "chkMoreKinds");
    chkRawFiles = named(new QCheckBox(QStringLiteral(
                            "Also list camera RAW files (CR2, CR3, NEF, ARW, RAF, ORF, RW2, DNG, PEF, SRW) and keep "
                            "RAW+JPEG pairs together")),
                        "chkRawFiles");
    auto *files = new QGridLayout(frmFile);
    files->addWidget(picRecycleBin, 0, 0);
    files->addWidget(chkDeleteRecycle, 0, 1);
    files->addWidget(optCopyDefault, 1, 1);
    files->addWidget(optMoveDefault, 2, 1);
    // The long option spans an extra column that takes the width, so the others keep theirs.
    files->addWidget(chkMoreKinds, 3, 0, 1, 3);
    files->addWidget(chkRawFiles, 4, 0, 1, 3);
    files->setColumnStretch(2, 1);

    frmPrompt = named(new QGroupBox(QStringLiteral("Prompt")), "frmPrompt");
    chkPromptDelete = named(new QCheckBox(QStringLiteral("Prompt on Delete")), "chkPromptDelete");
    chkPromptCopy = named(new QCheckBox(QStringLiteral("Prompt on Copy")), "chkPromptCopy");
    chkPromptMove = named(new QCheckBox(QStringLiteral("Prompt on Move")), "chkPromptMove");
    auto *prompts = new QVBoxLayout(frmPrompt);
    prompts->addWidget(chkPromptDelete);
    prompts->addWidget(chkPromptCopy);
    prompts->addWidget(chkPromptMove);

    frmAreaAutoname = named(new QGroupBox(QStringLiteral("Area autoname")), "frmAreaAutoname");
    chkAutoname = named(new QCheckBox(QStringLiteral("Enable autoname")), "chkAutoname");
    txtAreaSeparator = oneCharacterBox("txtAreaSeparator");
    lblAreaSeparator = named(new QLabel(QStringLiteral("Directory separator")), "lblAreaSeparator");
    lblAreaSeparator->setBuddy(txtAreaSeparator);
    txtNrOfDir = oneCharacterBox("txtNrOfDir");
    lblNrOfDirToStripp =
        named(new QLabel(QStringLiteral("Nr of directories to stripp")), "lblNrOfDirToStripp");
    lblNrOfDirToStripp->setBuddy(txtNrOfDir);
    connect(txtNrOfDir, &QLineEdit::textEdited, this, &frmSettings::txtNrOfDir_Change);
    auto *autoname = new QGridLayout(frmAreaAutoname);
    autoname->addWidget(chkAutoname, 0, 0, 1, 2);
    autoname->addWidget(txtAreaSeparator, 1, 0);
    autoname->addWidget(lblAreaSeparator, 1, 1);
    autoname->addWidget(txtNrOfDir, 2, 0);
    autoname->addWidget(lblNrOfDirToStripp, 2, 1);

    auto *layout = new QGridLayout(tab);
    layout->addWidget(frmFile, 0, 0);
    layout->addWidget(frmPrompt, 0, 1);
    layout->addWidget(frmAreaAutoname, 1, 0, 1, 2);
    return tab;
}

QWidget *frmSettings::createExitTab()
{
    auto *tab = new QWidget;
    frmExit = named(new QGroupBox, "frmExit");
    cmdExit = named(new QPushButton(QStringLiteral("Undo")), "cmdExit");
    cmdExitSave = named(new QPushButton(QStringLiteral("Exit && Save")), "cmdExitSave");
    lblExit = named(new QLabel(QStringLiteral(
                        "Don't forget to klick on \"Exit & Save\" if you want to Save your settings")),
                    "lblExit");
    lblExit->setWordWrap(true);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdExitSave, &QPushButton::clicked, this, &frmSettings::cmdExitSave_Click);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdExit);
    buttons->addWidget(cmdExitSave);
    auto *exit = new QVBoxLayout(frmExit);
    exit->addWidget(lblExit);
    exit->addLayout(buttons);

    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(frmExit);
    layout->addStretch();
    return tab;
}

Options frmSettings::options() const
{
    Options options;
    options.autoname = checkBoxValue(chkAutoname);
    options.nrOfDir = txtNrOfDir->text();
    options.areaSeparator = txtAreaSeparator->text();
    options.promptMove = checkBoxValue(chkPromptMove);
    options.promptCopy = checkBoxValue(chkPromptCopy);
    options.promptDelete = checkBoxValue(chkPromptDelete);
    options.moveDefault = optMoveDefault->isChecked();
    options.deleteRecycle = checkBoxValue(chkDeleteRecycle);
    options.more.moreKinds = chkMoreKinds->isChecked();
    options.more.rawFiles = chkRawFiles->isChecked();
    return options;
}

void frmSettings::setOptions(const Options &options)
{
    setCheckBoxValue(chkAutoname, options.autoname);
    txtNrOfDir->setText(options.nrOfDir);
    txtAreaSeparator->setText(options.areaSeparator);
    setCheckBoxValue(chkPromptMove, options.promptMove);
    setCheckBoxValue(chkPromptCopy, options.promptCopy);
    setCheckBoxValue(chkPromptDelete, options.promptDelete);
    (options.moveDefault ? optMoveDefault : optCopyDefault)->setChecked(true);
    setCheckBoxValue(chkDeleteRecycle, options.deleteRecycle);
    chkMoreKinds->setChecked(options.more.moreKinds);
    chkRawFiles->setChecked(options.more.rawFiles);
}

void frmSettings::ReadSettings()
{
    Options options = this->options();
    options.more = settings::readMoreOptions();
    const settings::SettingsRead read = settings::readSettingsFile(options);
    setOptions(options);
    emit optionsRead(options, read.defaultActionRead());
    if (read.problem && read.problem->kind != platform::FailureKind::FileNotFound)
        platform::showFailure(*read.problem);
}

void frmSettings::cmdExitSave_Click()
{
    // A file that cannot be written keeps the dialog open with the user's choices.
    const Options options = this->options();
    platform::MaybeFailure failure = settings::writeSettingsFile(options);
    if (!failure)
        failure = settings::writeMoreOptions(options.more);
    if (failure) {
        platform::showFailure(*failure);
        return;
    }
    accept();
}

void frmSettings::txtNrOfDir_Change()
{
    const QString text = txtNrOfDir->text();
    if (text.isEmpty() || (text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9')))
        return;
    platform::message(QStringLiteral("It must be a integer between 0 and 9"),
                      platform::MessageIcon::Information);
    txtNrOfDir->setText(QStringLiteral("0"));
}

void frmSettings::done(int result)
{
    setOptions(Options());
    FrameSubjectSettings->reset();
    FrameCatalogSettings->reset();
    SSTab1->setCurrentIndex(0);
    QDialog::done(result);
}

void frmSettings::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    move(platform::screenMetrics().available.center() - rect().center());
    // Showing the dialog activates it: the controls show what the file holds.
    ReadSettings();
}

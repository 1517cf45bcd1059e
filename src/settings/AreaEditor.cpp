#include "settings/AreaEditor.h"

#include "browse/DirListBox.h"
#include "browse/DriveListBox.h"
#include "browse/FolderPicker.h"
#include "catalogue/AreaKeys.h"
#include "catalogue/CatalogueEdits.h"
#include "catalogue/CatalogueFiles.h"
#include "fileops/frmCreateDir.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Naming.h"
#include "platform/Screen.h"
#include "platform/Volumes.h"
#include "settings/AreaAutoname.h"
#include "settings/CatalogueHost.h"
#include "settings/EditorLayout.h"

#include <QComboBox>
#include <QCompleter>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::named;
using platform::placedTwips;

namespace settings {

namespace {

const QString kInitialName = QStringLiteral("Name");

} // namespace

AreaEditor::AreaEditor(CatalogueHost &host, std::function<Options()> options, QWidget *parent)
    : QGroupBox(QStringLiteral("Area"), parent)
    , m_host(host)
    , m_options(std::move(options))
{
    setObjectName(QStringLiteral("FrameSubjectSettings"));
    const QString startFolder = platform::currentFolder();
    const auto button = [this](const char *name, const char *caption) {
        return named(new QPushButton(QLatin1String(caption), this), name);
    };
    const auto label = [this](const char *name, const char *caption) {
        return named(new QLabel(QLatin1String(caption), this), name);
    };
    btnAreaAdd = placedTwips(button("btnAreaAdd", "Add"), 240, 240, 975, 375);
    btnAreaModify = placedTwips(button("btnAreaModify", "Modify"), 1200, 240, 975, 375);
    btnAreaRemove = placedTwips(button("btnAreaRemove", "Remove"), 2160, 240, 975, 375);
    lblGroup = placedTwips(label("lblGroup", "Group:"), 120, 720, 495, 255);
    cmbAreaGroup = placedTwips(named(new QComboBox(this), "cmbAreaGroup"), 600, 720, 2535, 315);
    lblAreaName = placedTwips(label("lblAreaName", "Name:"), 120, 1080, 555, 225);
    txtAreaAdd = placedTwips(named(new QLineEdit(this), "txtAreaAdd"), 600, 1080, 2535, 285);
    cmbArea = placedTwips(named(new QComboBox(this), "cmbArea"), 600, 1080, 2535, 315);
    cmbArea->setEditable(true);
    cmbArea->setInsertPolicy(QComboBox::NoInsert);
    // When the field loses the focus the list chooses the area its text names. A name typed in
    // another letter case is a new name, which Update refuses as taken, not a choice of that area.
    cmbArea->completer()->setCaseSensitivity(Qt::CaseSensitive);
    lblAreaPath = placedTwips(label("lblAreaPath", "Path:"), 120, 1440, 495, 255);
    drvArea = placedTwips(named(new browse::DriveListBox(startFolder, this), "drvArea"), 600, 1440, 2535, 315);
    btnAreaDelete = placedTwips(button("btnAreaDelete", "Delete"), 120, 1680, 975, 375);
    dirArea = placedTwips(named(new browse::DirListBox(startFolder, this), "dirArea"), 120, 1800, 3015, 1215);
    btnAreaSave = placedTwips(button("btnAreaSave", "Save"), 120, 3240, 975, 375);
    btnAreaUpdate = placedTwips(button("btnAreaUpdate", "Update"), 120, 3240, 975, 375);
    cmdCreateDir = placedTwips(button("cmdCreateDir", "Create dir."), 1200, 3240, 975, 375);
    btnAreaCancel = placedTwips(button("btnAreaCancel", "Cancel"), 2280, kBottomButtonsTop, 975, 375);
    lblAreaKey = placedTwips(label("lblAreaKey", "Key:"), 120, kKeyRowTop, 495, 255);
    keyArea = placedTwips(named(new QKeySequenceEdit(this), "keyArea"), 600, kKeyRowTop, 1935, 315);
    lblAreaKey->setBuddy(keyArea);
    // Qt 6.4's own clear button empties the text but keeps the key.
    btnAreaKeyClear = placedTwips(button("btnAreaKeyClear", "Clear"), 2595, kKeyRowTop, 540, 315);

    connect(btnAreaAdd, &QPushButton::clicked, this, &AreaEditor::btnAreaAdd_Click);
    connect(btnAreaModify, &QPushButton::clicked, this, &AreaEditor::btnAreaModify_Click);
    connect(btnAreaRemove, &QPushButton::clicked, this, &AreaEditor::btnAreaRemove_Click);
    connect(btnAreaCancel, &QPushButton::clicked, this, &AreaEditor::btnAreaCancel_Click);
    connect(btnAreaSave, &QPushButton::clicked, this, &AreaEditor::btnAreaSave_Click);
    connect(btnAreaUpdate, &QPushButton::clicked, this, &AreaEditor::btnAreaUpdate_Click);
    connect(btnAreaDelete, &QPushButton::clicked, this, &AreaEditor::btnAreaDelete_Click);
    connect(cmdCreateDir, &QPushButton::clicked, this, &AreaEditor::cmdCreateDir_Click);
    // A choice made by code calls the handler itself; these are the user's choices.
    connect(cmbAreaGroup, &QComboBox::activated, this, &AreaEditor::cmbAreaGroup_Click);
    connect(cmbArea, &QComboBox::activated, this, &AreaEditor::cmbArea_Click);
    // Any drive that does not open is told in the editor's own error box, and falls back.
    const auto reportDriveFailure = [](const platform::Failure &failure) {
        platform::showMessage({QStringLiteral("Error!"),
                               QStringLiteral("Error %1 = %2").arg(failure.number()).arg(failure.description),
                               platform::MessageIcon::Critical});
        return true;
    };
    auto *picker = new browse::FolderPicker(*drvArea, *dirArea, this, reportDriveFailure);
    connect(picker, &browse::FolderPicker::folderChanged, this, &AreaEditor::dirArea_Change);
    connect(keyArea, &QKeySequenceEdit::editingFinished, this, &AreaEditor::keyArea_Change);
    connect(btnAreaKeyClear, &QPushButton::clicked, keyArea, &QKeySequenceEdit::clear);
    reset();
}

void AreaEditor::reset()
{
    const QString folder = platform::currentFolder();
    {
        const QSignalBlocker quietDrive(drvArea);
        const QSignalBlocker quietFolder(dirArea);
        drvArea->setDrive(folder);
        dirArea->setPath(folder);
    }
    cmbAreaGroup->clear();
    cmbArea->clear();
    txtAreaAdd->setText(kInitialName);
    keyArea->clear();
    m_selectedRecord = -1;
    m_chosenShortcut.clear();
    setMode(Mode::Idle);
}

void AreaEditor::setMode(Mode mode)
{
    const bool adding = mode == Mode::Adding;
    const bool modifying = mode == Mode::Modifying;
    const bool removing = mode == Mode::Removing;
    const bool idle = mode == Mode::Idle;
    btnAreaAdd->setEnabled(idle || adding);
    btnAreaModify->setEnabled(idle || modifying);
    btnAreaRemove->setEnabled(idle || removing);
    btnAreaCancel->setEnabled(!idle);
    for (QWidget *control : std::initializer_list<QWidget *>{lblGroup, cmbAreaGroup, lblAreaName})
        control->setVisible(!idle);
    txtAreaAdd->setVisible(adding);
    cmbArea->setVisible(modifying || removing);
    for (QWidget *control : std::initializer_list<QWidget *>{lblAreaPath, drvArea, dirArea, cmdCreateDir, lblAreaKey,
                                                             keyArea, btnAreaKeyClear})
        control->setVisible(adding || modifying);
    btnAreaSave->setVisible(adding);
    btnAreaUpdate->setVisible(modifying);
    btnAreaDelete->setVisible(removing);
}

void AreaEditor::fillGroupList()
{
    cmbAreaGroup->clear();
    cmbAreaGroup->addItems(catalogue::editableGroups(m_host.groupNames()));
    cmbAreaGroup->setCurrentIndex(-1);
}

void AreaEditor::groupsChanged(bool refill)
{
    if (refill)
        fillGroupList();
    else
        cmbAreaGroup->clear();
    cmbArea->clear();
    m_selectedRecord = -1;
}

void AreaEditor::btnAreaAdd_Click()
{
    fillGroupList();
    // Start from the folder of the first area of the group the main window shows. The group is
    // found by name: the list leaves out an empty group name, so positions may differ.
    if (const std::optional<QString> shown = m_host.shownGroup()) {
        const int index = cmbAreaGroup->findText(*shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) {
            cmbAreaGroup->setCurrentIndex(index);
            cmbAreaGroup_Click();
        }
    }
    setMode(Mode::Adding);
}

void AreaEditor::btnAreaModify_Click()
{
    fillGroupList();
    listAreasOfGroup();
    setMode(Mode::Modifying);
}

void AreaEditor::btnAreaRemove_Click()
{
    fillGroupList();
    listAreasOfGroup();
    setMode(Mode::Removing);
}

void AreaEditor::btnAreaCancel_Click()
{
    setMode(Mode::Idle);
}

void AreaEditor::listAreasOfGroup()
{
    cmbArea->clear();
    m_selectedRecord = -1;
    m_chosenShortcut.clear();
    if (!targetGroupChosen())
        return;
    const QString group = cmbAreaGroup->currentText();
    for (const catalogue::AreaRecord &record : m_host.areaArchive()) {
        if (record.group == group)
            cmbArea->addItem(record.name);
    }
    cmbArea->setCurrentIndex(-1);
}

void AreaEditor::cmbAreaGroup_Click()
{
    listAreasOfGroup();
    if (cmbArea->count() > 0) {
        cmbArea->setCurrentIndex(0);
        cmbArea_Click();
    }
}

void AreaEditor::cmbArea_Click()
{
    m_selectedRecord = -1;
    m_chosenShortcut.clear();
    // Adding starts from an area's folder, not from its key.
    const bool modifying = !btnAreaUpdate->isHidden();
    if (modifying)
        keyArea->clear();
    const QString name = cmbArea->currentText();
    const QString group = cmbAreaGroup->currentText();
    const catalogue::AreaArchive &archive = m_host.areaArchive();
    // Of two identical records the later one is chosen.
    for (qsizetype i = 0; i < archive.size(); ++i) {
        const catalogue::AreaRecord &record = archive.at(i);
        if (record.name != name || record.group != group)
            continue;
        m_selectedRecord = i;
        m_chosenShortcut = record.shortcut;
        const std::optional<QKeyCombination> key = catalogue::areaKey(record.shortcut);
        if (modifying)
            keyArea->setKeySequence(key ? QKeySequence(*key) : QKeySequence());
        drvArea->setDrive(record.path);
        if (const platform::MaybeFailure failure = dirArea->setPath(record.path)) {
            // A folder deleted outside the program still leaves its record chosen.
            if (failure->kind != platform::FailureKind::PathNotFound)
                platform::showFailure(*failure);
            return;
        }
    }
}

void AreaEditor::dirArea_Change()
{
    const QString text = txtAreaAdd->text();
    if (text != m_lastGeneratedName && text != kInitialName && !text.isEmpty()) {
        m_lastGeneratedName.clear(); // the user's own name is left alone
        return;
    }
    const Options options = m_options();
    if (options.autoname == 0)
        return;
    const QString folder = dirArea->Path();
    m_lastGeneratedName = areaAutoname(folder, platform::volumeOf(folder), stripCount(options.nrOfDir),
                                       options.areaSeparator);
    txtAreaAdd->setText(m_lastGeneratedName);
}

bool AreaEditor::targetGroupChosen() const
{
    return cmbAreaGroup->currentIndex() >= 0;
}

bool AreaEditor::refuseDuplicate(const QString &name, qsizetype exceptRecord)
{
    if (!targetGroupChosen()) {
        platform::message(QStringLiteral("You must choose a group to put the area in"),
                          platform::MessageIcon::Information);
        return true;
    }
    const QString group = cmbAreaGroup->currentText();
    // The main window shows the target group, whatever comes of the change.
    m_host.showGroup(group);
    if (!catalogue::areaNameTaken(m_host.areaArchive(), group, name, exceptRecord))
        return false;
    platform::showMessage({QStringLiteral("Error!"), name + QStringLiteral(" already exists, the name must be unique"),
                           platform::MessageIcon::Information});
    return true;
}

bool AreaEditor::writeAreas(const catalogue::AreaArchive &records)
{
    if (const platform::MaybeFailure failure = catalogue::writeAreaFile(records)) {
        platform::showFailure(*failure);
        return false;
    }
    m_host.reloadAreas();
    return true;
}

void AreaEditor::btnAreaSave_Click()
{
    const QString name = txtAreaAdd->text();
    if (name.isEmpty()) {
        btnAreaCancel_Click();
        return;
    }
    if (refuseDuplicate(name, -1) || refuseKeyInUse(-1))
        return;
    if (const platform::MaybeFailure failure = catalogue::appendAreaRecord(
            {name, cmbAreaGroup->currentText(), dirArea->Path(), recordedShortcut()})) {
        platform::showFailure(*failure);
        return;
    }
    m_host.reloadAreas();
    txtAreaAdd->clear();
    keyArea->clear();
}

void AreaEditor::btnAreaUpdate_Click()
{
    const QString name = cmbArea->currentText();
    if (name.isEmpty() || m_selectedRecord < 0) {
        btnAreaCancel_Click();
        return;
    }
    // The area being changed does not count: changing only its folder keeps its name.
    if (refuseDuplicate(name, m_selectedRecord) || refuseKeyInUse(m_selectedRecord))
        return;
    catalogue::AreaArchive records = m_host.areaArchive();
    // The changed area moves to the end of the file.
    const catalogue::AreaRecord updated{name, cmbAreaGroup->currentText(), dirArea->Path(), shortcutToWrite()};
    records.removeAt(m_selectedRecord);
    records.append(updated);
    if (!writeAreas(records))
        return;
    // The list shows the new name, and the updated record, now the last of its group, stays chosen.
    listAreasOfGroup();
    for (int i = cmbArea->count() - 1; i >= 0; --i) {
        if (cmbArea->itemText(i) == name) {
            cmbArea->setCurrentIndex(i);
            cmbArea_Click();
            break;
        }
    }
}

void AreaEditor::btnAreaDelete_Click()
{
    if (cmbArea->currentText().isEmpty() || m_selectedRecord < 0) {
        btnAreaCancel_Click();
        return;
    }
    catalogue::AreaArchive records = m_host.areaArchive();
    records.removeAt(m_selectedRecord);
    if (writeAreas(records))
        cmbAreaGroup_Click();
}

void AreaEditor::keyArea_Change()
{
    const QKeySequence recorded = keyArea->keySequence();
    if (recorded.isEmpty())
        return;
    const catalogue::KeyCheck check = catalogue::checkAreaKey(recorded[0]);
    if (!check.accepted) {
        // Emptied first: the box takes the focus, which ends the field's editing once more.
        keyArea->clear();
        platform::message(check.refusal, platform::MessageIcon::Information);
    } else if (recorded.count() > 1) {
        keyArea->setKeySequence(QKeySequence(recorded[0]));
    }
}

bool AreaEditor::refuseKeyInUse(qsizetype exceptRecord)
{
    const QKeySequence key = keyArea->keySequence();
    if (key.isEmpty())
        return false;
    const catalogue::AreaRecord *owner =
        catalogue::areaWithKey(m_host.areaArchive(), cmbAreaGroup->currentText(), key[0], exceptRecord);
    if (!owner)
        return false;
    platform::message(QStringLiteral("%1 is already the key of %2")
                          .arg(key.toString(QKeySequence::NativeText), owner->name),
                      platform::MessageIcon::Information);
    return true;
}

QString AreaEditor::recordedShortcut() const
{
    const QKeySequence key = keyArea->keySequence();
    return key.isEmpty() ? QString() : catalogue::shortcutText(key[0]);
}

QString AreaEditor::shortcutToWrite() const
{
    const QString recorded = recordedShortcut();
    return recorded.isEmpty() && !catalogue::areaKey(m_chosenShortcut) ? m_chosenShortcut : recorded;
}

void AreaEditor::cmdCreateDir_Click()
{
    auto *dialog = new frmCreateDir(*dirArea, *drvArea, window());
    connect(dialog, &QDialog::finished, this, &AreaEditor::createDirClosed);
    dialog->open();
}

} // namespace settings

#include "settings/GroupEditor.h"

#include "catalogue/CatalogueEdits.h"
#include "catalogue/CatalogueFiles.h"
#include "platform/MessageBox.h"
#include "platform/Naming.h"
#include "platform/Screen.h"
#include "settings/AreaEditor.h"
#include "settings/CatalogueHost.h"
#include "settings/EditorLayout.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::named;
using platform::placedTwips;

namespace settings {

namespace {

const QString kInitialNewName = QStringLiteral("New name");

} // namespace

GroupEditor::GroupEditor(CatalogueHost &host, AreaEditor &areaEditor, QWidget *parent)
    : QGroupBox(QStringLiteral("Group"), parent)
    , m_host(host)
    , m_areaEditor(areaEditor)
{
    setObjectName(QStringLiteral("FrameCatalogSettings"));
    const auto button = [this](const char *name, const char *caption) {
        return named(new QPushButton(QLatin1String(caption), this), name);
    };
    btnCatalogAdd = placedTwips(button("btnCatalogAdd", "Add"), 120, 240, 975, 375);
    btnCatalogModify = placedTwips(button("btnCatalogModify", "Modify"), 1080, 240, 975, 375);
    btnCatalogRemove = placedTwips(button("btnCatalogRemove", "Remove"), 2040, 240, 975, 375);
    lblCatalogAddName = placedTwips(named(new QLabel(QStringLiteral("Name:"), this), "lblCatalogAddName"),
                               105, 750, 495, 255);
    txtCatalogAddName = placedTwips(named(new QLineEdit(this), "txtCatalogAddName"), 600, 720, 2415, 285);
    cmbCatalogModifyName = placedTwips(named(new QComboBox(this), "cmbCatalogModifyName"), 600, 720, 2415, 315);
    txtCatalogModifyNewName =
        placedTwips(named(new QLineEdit(this), "txtCatalogModifyNewName"), 600, 1080, 2415, 285);
    btnCatalogAddSave = placedTwips(button("btnCatalogAddSave", "Save"), 120, 1320, 975, 375);
    btnCatalogRemoveDelete = placedTwips(button("btnCatalogRemoveDelete", "Delete"), 120, 1320, 975, 375);
    btnCatalogModifyRename = placedTwips(button("btnCatalogModifyRename", "Rename"), 120, 1680, 975, 375);
    btnCatalogSettingsCancel = placedTwips(button("btnCatalogSettingsCancel", "Cancel"), 2040, kBottomButtonsTop, 975, 375);

    connect(btnCatalogAdd, &QPushButton::clicked, this, &GroupEditor::btnCatalogAdd_Click);
    connect(btnCatalogModify, &QPushButton::clicked, this, &GroupEditor::btnCatalogModify_Click);
    connect(btnCatalogRemove, &QPushButton::clicked, this, &GroupEditor::btnCatalogRemove_Click);
    connect(btnCatalogSettingsCancel, &QPushButton::clicked, this, &GroupEditor::btnCatalogSettingsCancel_Click);
    connect(btnCatalogAddSave, &QPushButton::clicked, this, &GroupEditor::btnCatalogAddSave_Click);
    connect(btnCatalogModifyRename, &QPushButton::clicked, this, &GroupEditor::btnCatalogModifyRename_Click);
    connect(btnCatalogRemoveDelete, &QPushButton::clicked, this, &GroupEditor::btnCatalogRemoveDelete_Click);
    reset();
}

void GroupEditor::reset()
{
    txtCatalogAddName->clear();
    cmbCatalogModifyName->clear();
    btnCatalogSettingsCancel_Click();
}

void GroupEditor::setMode(Mode mode)
{
    const bool idle = mode == Mode::Idle;
    const bool adding = mode == Mode::Adding;
    const bool renaming = mode == Mode::Renaming;
    const bool deleting = mode == Mode::Deleting;
    btnCatalogAdd->setEnabled(idle || adding);
    btnCatalogModify->setEnabled(idle || renaming);
    btnCatalogRemove->setEnabled(idle || deleting);
    btnCatalogSettingsCancel->setEnabled(!idle);
    lblCatalogAddName->setVisible(adding || deleting);
    txtCatalogAddName->setVisible(adding);
    btnCatalogAddSave->setVisible(adding);
    cmbCatalogModifyName->setVisible(renaming || deleting);
    txtCatalogModifyNewName->setVisible(renaming);
    btnCatalogModifyRename->setVisible(renaming);
    btnCatalogRemoveDelete->setVisible(deleting);
}

void GroupEditor::fillGroupList()
{
    cmbCatalogModifyName->clear();
    cmbCatalogModifyName->addItems(catalogue::editableGroups(m_host.groupNames()));
    cmbCatalogModifyName->setCurrentIndex(-1);
}

void GroupEditor::btnCatalogAdd_Click()
{
    setMode(Mode::Adding);
    txtCatalogAddName->setFocus();
}

void GroupEditor::btnCatalogModify_Click()
{
    fillGroupList();
    setMode(Mode::Renaming);
}

void GroupEditor::btnCatalogRemove_Click()
{
    fillGroupList();
    setMode(Mode::Deleting);
}

void GroupEditor::btnCatalogSettingsCancel_Click()
{
    setMode(Mode::Idle);
    txtCatalogModifyNewName->setText(kInitialNewName);
}

bool GroupEditor::refuseDuplicate(const QString &name)
{
    if (!catalogue::groupNameTaken(m_host.groupNames(), name))
        return false;
    platform::showMessage({QStringLiteral("Error!"), name + QStringLiteral(" already exists, the name must be unique"),
                           platform::MessageIcon::Information});
    btnCatalogSettingsCancel_Click();
    return true;
}

void GroupEditor::btnCatalogAddSave_Click()
{
    const QString name = txtCatalogAddName->text();
    if (name.isEmpty()) {
        btnCatalogSettingsCancel_Click();
        return;
    }
    if (refuseDuplicate(name))
        return;
    if (const platform::MaybeFailure failure = catalogue::appendGroup(name)) {
        platform::showFailure(*failure);
        return;
    }
    btnCatalogSettingsCancel_Click();
    txtCatalogAddName->clear();
    m_areaEditor.groupsChanged(false);
    m_host.reloadCatalogue(m_host.shownGroup());
}

void GroupEditor::btnCatalogModifyRename_Click()
{
    const QString newName = txtCatalogModifyNewName->text();
    if (newName.isEmpty() || cmbCatalogModifyName->currentIndex() < 0) {
        btnCatalogSettingsCancel_Click();
        return;
    }
    if (refuseDuplicate(newName))
        return;
    RenameGroup(cmbCatalogModifyName->currentText(), newName);
}

void GroupEditor::RenameGroup(const QString &from, const QString &to)
{
    // The group is found by name, not by its place in the list, which leaves out empty names.
    QStringList groups = m_host.groupNames();
    std::ranges::replace(groups, from, to);
    std::optional<QString> shown = m_host.shownGroup();
    if (shown == from)
        shown = to;
    if (!writeCatalogue(groups, catalogue::withGroupRenamed(m_host.areaArchive(), from, to), shown))
        return;
    m_areaEditor.groupsChanged(true);
    btnCatalogSettingsCancel_Click();
}

void GroupEditor::btnCatalogRemoveDelete_Click()
{
    if (cmbCatalogModifyName->currentIndex() < 0) {
        btnCatalogSettingsCancel_Click();
        return;
    }
    const QString name = cmbCatalogModifyName->currentText();
    QStringList groups = m_host.groupNames();
    groups.removeAll(name);
    std::optional<QString> shown = m_host.shownGroup();
    if (shown == name)
        shown.reset();
    // Only the records go; the areas' folders are not touched.
    if (!writeCatalogue(groups, catalogue::withoutGroup(m_host.areaArchive(), name), shown))
        return;
    // A deleted group can no longer be chosen for a new area.
    m_areaEditor.groupsChanged(true);
    btnCatalogSettingsCancel_Click();
}

bool GroupEditor::writeCatalogue(const QStringList &groups, const catalogue::AreaArchive &records,
                                 const std::optional<QString> &groupToShow)
{
    if (const platform::MaybeFailure failure = catalogue::writeCatalogue(records, groups)) {
        platform::showFailure(*failure);
        return false;
    }
    m_host.reloadCatalogue(groupToShow);
    return true;
}

} // namespace settings

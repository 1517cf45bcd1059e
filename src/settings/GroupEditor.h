#pragma once

#include "catalogue/AreaRecord.h"

#include <QGroupBox>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace settings {

class AreaEditor;
class CatalogueHost;

// The group frame of the settings dialog: adds, renames and deletes groups. Renaming and
// deleting carry over to the areas of the group. Every change is written at once.
class GroupEditor : public QGroupBox {
    Q_OBJECT

public:
    GroupEditor(CatalogueHost &host, AreaEditor &areaEditor, QWidget *parent = nullptr);

    // The state of a freshly loaded dialog.
    void reset();

    void btnCatalogAdd_Click();
    void btnCatalogModify_Click();
    void btnCatalogRemove_Click();
    void btnCatalogSettingsCancel_Click();
    void btnCatalogAddSave_Click();
    void btnCatalogModifyRename_Click();
    void btnCatalogRemoveDelete_Click();

    QPushButton *btnCatalogAdd;
    QPushButton *btnCatalogModify;
    QPushButton *btnCatalogRemove;
    QLabel *lblCatalogAddName;
    QLineEdit *txtCatalogAddName;
    QComboBox *cmbCatalogModifyName;
    QLineEdit *txtCatalogModifyNewName;
    QPushButton *btnCatalogAddSave;
    QPushButton *btnCatalogRemoveDelete;
    QPushButton *btnCatalogModifyRename;
    QPushButton *btnCatalogSettingsCancel;

private:
    enum class Mode { Idle, Adding, Renaming, Deleting };
    void setMode(Mode mode);
    void fillGroupList();
    // Shows the duplicate message and returns to idle when a group has the name in any case.
    bool refuseDuplicate(const QString &name);
    // Writes both files; on success the main window reloads them and shows groupToShow.
    bool writeCatalogue(const QStringList &groups, const catalogue::AreaArchive &records,
                        const std::optional<QString> &groupToShow);
    void RenameGroup(const QString &from, const QString &to);

    CatalogueHost &m_host;
    AreaEditor &m_areaEditor;
};

} // namespace settings

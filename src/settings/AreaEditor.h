#pragma once

#include "catalogue/AreaRecord.h"
#include "settings/SettingsFile.h"

#include <QGroupBox>
#include <functional>

class QComboBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace browse {
class DirListBox;
class DriveListBox;
} // namespace browse

namespace settings {

class CatalogueHost;

// The area frame of the settings dialog: adds, changes and deletes areas. Its mode (idle,
// adding, modifying, removing) is nothing but which of its controls are shown and enabled.
class AreaEditor : public QGroupBox {
    Q_OBJECT

public:
    // options gives the autoname options as the dialog holds them at that moment.
    AreaEditor(CatalogueHost &host, std::function<Options()> options, QWidget *parent = nullptr);

    // The state of a freshly loaded dialog: idle, the name box holding "Name", nothing chosen.
    void reset();
    // The groups changed under the editor: its group list is emptied, or refilled with nothing
    // chosen. Either way no area stays chosen, since records may have moved.
    void groupsChanged(bool refill);

    void btnAreaAdd_Click();
    void btnAreaModify_Click();
    void btnAreaRemove_Click();
    void btnAreaCancel_Click();
    void btnAreaSave_Click();
    void btnAreaUpdate_Click();
    void btnAreaDelete_Click();
    void cmbAreaGroup_Click();
    void cmbArea_Click();
    void dirArea_Change();
    void cmdCreateDir_Click();
    // A key was recorded: only its first key counts, and a key the main window keeps is refused.
    void keyArea_Change();

    QPushButton *btnAreaAdd;
    QPushButton *btnAreaModify;
    QPushButton *btnAreaRemove;
    QLabel *lblGroup;
    QComboBox *cmbAreaGroup;
    QLabel *lblAreaName;
    QLineEdit *txtAreaAdd;
    QComboBox *cmbArea;
    QLabel *lblAreaPath;
    browse::DriveListBox *drvArea;
    QPushButton *btnAreaDelete;
    browse::DirListBox *dirArea;
    QPushButton *btnAreaSave;
    QPushButton *btnAreaUpdate;
    QPushButton *cmdCreateDir;
    QPushButton *btnAreaCancel;
    QLabel *lblAreaKey;
    QKeySequenceEdit *keyArea;
    QPushButton *btnAreaKeyClear;

signals:
    // The create-directory dialog closed: the settings dialog is active again.
    void createDirClosed();

private:
    enum class Mode { Idle, Adding, Modifying, Removing };
    void setMode(Mode mode);
    void fillGroupList();
    // Lists the chosen group's areas in cmbArea, in file order, with none chosen.
    void listAreasOfGroup();
    bool targetGroupChosen() const;
    bool refuseDuplicate(const QString &name, qsizetype exceptRecord);
    bool refuseKeyInUse(qsizetype exceptRecord);
    QString recordedShortcut() const;
    // The shortcut field an update writes: the recorded key; with none, the chosen record's own
    // field when that held something other than a key, which is kept as it is.
    QString shortcutToWrite() const;
    // Replaces the areas file; false (after the error box) when it could not be written.
    bool writeAreas(const catalogue::AreaArchive &records);

    CatalogueHost &m_host;
    std::function<Options()> m_options;
    // The archive index of the record last chosen in cmbArea; -1 when none is.
    qsizetype m_selectedRecord = -1;
    QString m_chosenShortcut;
    QString m_lastGeneratedName;
};

} // namespace settings

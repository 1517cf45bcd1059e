#pragma once

#include "browse/BrowseContext.h"

#include <QTableView>

namespace browse {

// Draws a browsing context: the file list of a folder, several files selectable at once. It keeps
// no state of its own. A table of one column draws it because a list view lays out every row
// again whenever one goes, which a folder of a million files feels after each sort.
class FileListBox : public QTableView {
    Q_OBJECT

public:
    FileListBox(BrowseContext &context, QWidget *parent = nullptr);

    // Reads the folder again; afterwards nothing is selected and there is no current item.
    platform::MaybeFailure Refresh() { return m_context.refresh(); }
    int ListCount() const { return m_context.count(); }
    // The current item, -1 when there is none.
    int ListIndex() const { return m_context.currentRow(); }
    QString List(int index) const { return m_context.name(index); }
    bool Selected(int index) const { return m_context.isSelected(index); }
    // Selecting an item also makes it the current item. Raises Click either way, as a click would.
    void setSelected(int index, bool selected);
    // The name of the current item, "" when there is none.
    QString FileName() const { return m_context.currentName(); }

signals:
    // The user clicked an item or moved the current item with the keyboard, or setSelected ran.
    void Click();
    void DblClick();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    BrowseContext &m_context;
    bool m_toldAtPress = false; // the press's click was told already
};

} // namespace browse

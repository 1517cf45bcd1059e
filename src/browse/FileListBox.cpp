#include "browse/FileListBox.h"

#include <QKeyEvent>

namespace browse {

FileListBox::FileListBox(BrowseContext &context, QWidget *parent)
    : QListView(parent)
    , m_context(context)
{
    setModel(context.model());
    // The view draws the context's selection; the one it made for itself is not needed.
    QItemSelectionModel *own = selectionModel();
    setSelectionModel(context.selectionModel());
    delete own;
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QAbstractItemView::clicked, this, &FileListBox::Click);
    connect(this, &QAbstractItemView::doubleClicked, this, &FileListBox::DblClick);
}

void FileListBox::setSelected(int index, bool selected)
{
    m_context.select(index, selected);
    if (selected)
        scrollTo(model()->index(index, 0));
    emit Click();
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex() != before)
        emit Click();
}

void FileListBox::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging over the list with the button held moves the current file without a click: the
    // file shown must still be the one a command will act on.
    const QModelIndex before = currentIndex();
    QListView::mouseMoveEvent(event);
    if (currentIndex() != before)
        emit Click();
}

} // namespace browse

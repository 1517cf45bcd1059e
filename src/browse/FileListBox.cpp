#include "browse/FileListBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace browse {

namespace {

// Draws a pair's RAW ending right after the picture's name, in the secondary text colour.
class FileListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QString ending = index.data(FileListModel::RawEndingRole).toString();
        if (ending.isEmpty())
            return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
        QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
        text.setLeft(text.left() + item.fontMetrics.horizontalAdvance(item.text + QLatin1Char(' ')));
        painter->save();
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, ending);
        painter->restore();
    }
};

} // namespace

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
    setItemDelegate(new FileListDelegate(this));
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

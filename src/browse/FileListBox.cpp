#include "browse/FileListBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <utility>

namespace browse {

namespace {

// Above and below the text of each row, as a list's rows have.
constexpr int kRowPaddingPixels = 4;

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
    : QTableView(parent)
    , m_context(context)
{
    setModel(context.model());
    // The view draws the context's selection; the one it made for itself is not needed.
    QItemSelectionModel *own = selectionModel();
    setSelectionModel(context.selectionModel());
    delete own;
    // Looks and moves as a list: no headers or grid, one row of the font's height per file, and
    // Tab leaves the list.
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPaddingPixels);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setItemDelegate(new FileListDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QAbstractItemView::clicked, this, [this] {
        if (!std::exchange(m_toldAtPress, false))
            emit Click();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, &FileListBox::DblClick);
}

void FileListBox::setSelected(int index, bool selected)
{
    m_context.select(index, selected);
    if (selected)
        scrollTo(model()->index(index, 0));
    emit Click();
}

QModelIndex FileListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // Home and End go to the first and the last file, as in a list, not to a row's ends.
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    if (currentIndex() != before)
        emit Click();
}

void FileListBox::mousePressEvent(QMouseEvent *event)
{
    // A press that moves the current file is told at once: when another program adds or takes
    // away rows before the release, Qt tells no click at all, and the file shown must still be
    // the one a command will act on.
    const QModelIndex before = currentIndex();
    QTableView::mousePressEvent(event);
    m_toldAtPress = currentIndex() != before;
    if (m_toldAtPress)
        emit Click();
}

void FileListBox::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging over the list with the button held moves the current file without a click: the
    // file shown must still be the one a command will act on.
    const QModelIndex before = currentIndex();
    QTableView::mouseMoveEvent(event);
    if (currentIndex() != before)
        emit Click();
}

} // namespace browse

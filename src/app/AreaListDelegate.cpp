#include "app/AreaListDelegate.h"

#include <QPainter>

namespace app {

void AreaListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QString key = index.data(KeyRole).toString();
    if (key.isEmpty())
        return;
    const int margin = option.fontMetrics.averageCharWidth();
    painter->save();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(margin, 0, -margin, 0), Qt::AlignRight | Qt::AlignVCenter, key);
    painter->restore();
}

} // namespace app

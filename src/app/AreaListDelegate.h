#pragma once

#include <QStyledItemDelegate>

namespace app {

// Draws an area's key right-aligned beside its name, in the secondary text colour. The key is
// the item's KeyRole data; the item's text stays the area's name.
class AreaListDelegate : public QStyledItemDelegate {
public:
    static constexpr int KeyRole = Qt::UserRole;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace app

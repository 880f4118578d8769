#pragma once
// The grid's cell painter: tints the current row so that it stays visible when only one cell
// is selected.

#include <QStyledItemDelegate>

class CurrentRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

#include "widgets/CurrentRowDelegate.h"

#include <QAbstractItemView>

void CurrentRowDelegate::initStyleOption(QStyleOptionViewItem *option,
                                         const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto *view = qobject_cast<const QAbstractItemView *>(option->widget);
    if (!view || option->state.testFlag(QStyle::State_Selected) ||
        view->currentIndex().row() != index.row())
        return;
    const QColor base = option->palette.color(QPalette::Base);
    const QColor mark = option->palette.color(QPalette::Highlight);
    option->backgroundBrush =
        QColor((base.red() * 3 + mark.red()) / 4, (base.green() * 3 + mark.green()) / 4,
               (base.blue() * 3 + mark.blue()) / 4);
}

#include "widgets/FlexGridSelection.h"

#include <QAbstractItemView>
#include <QPointer>

#include <algorithm>

std::vector<int> FlexGridSelection::rows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_view->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() <= 1) {
        rows.clear();
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid())
            rows.push_back(current.row());
    }
    return rows;
}

void FlexGridSelection::selectAll()
{
    const QAbstractItemModel *model = m_view->model();
    if (model->rowCount() == 0 || model->columnCount() == 0)
        return;
    m_view->selectionModel()->select(
        QItemSelection(model->index(0, 0),
                       model->index(model->rowCount() - 1, model->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void FlexGridSelection::extendTo(const QModelIndex &target)
{
    const QAbstractItemModel *model = m_view->model();
    const QModelIndex current = m_view->currentIndex();
    const int anchor = m_anchorRow >= 0 && m_anchorRow < model->rowCount()
                           ? m_anchorRow
                           : (current.isValid() ? current.row() : target.row());
    const QItemSelection rows(model->index(qMin(anchor, target.row()), 0),
                              model->index(qMax(anchor, target.row()), model->columnCount() - 1));
    // A slot on the move may close the window; nothing of this object may be touched then.
    const QPointer<QAbstractItemView> alive(m_view);
    m_extending = true;
    m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    if (!alive)
        return;
    m_extending = false;
    m_anchorRow = anchor;
    m_view->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
}

void FlexGridSelection::toggle(const QModelIndex &index)
{
    QItemSelectionModel *selection = m_view->selectionModel();
    // What was picked by cell counts by its rows from now on.
    selection->select(selection->selection(),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const bool picked = selection->isRowSelected(index.row(), QModelIndex());
    const QPointer<QAbstractItemView> alive(m_view);
    m_extending = true;
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (!alive)
        return;
    m_extending = false;
    m_anchorRow = index.row();
    selection->select(index,
                      (picked ? QItemSelectionModel::Deselect : QItemSelectionModel::Select) |
                          QItemSelectionModel::Rows);
}

void FlexGridSelection::currentMoved(const QModelIndex &current)
{
    if (!m_extending)
        m_anchorRow = current.row();
}

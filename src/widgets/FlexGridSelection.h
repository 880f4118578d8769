#pragma once
// How a grid picks whole rows beside its current cell: the row a Shift-extension starts from,
// Ctrl+click adding or taking away a row, and which rows are picked. Rows here are model rows.

#include <QModelIndex>
#include <vector>

class QAbstractItemView;

class FlexGridSelection
{
public:
    explicit FlexGridSelection(QAbstractItemView *view) : m_view(view) {}

    // The picked rows, ascending; the current row alone when no more than one is picked.
    std::vector<int> rows() const;
    void selectAll();
    // Makes target current and selects the rows from where the selection started to it.
    void extendTo(const QModelIndex &target);
    // The row joins the picked rows, or leaves them when it was picked whole.
    void toggle(const QModelIndex &index);
    // The current cell moved: unless an extension moved it, the next one starts from its row.
    void currentMoved(const QModelIndex &current);

private:
    QAbstractItemView *m_view;
    int m_anchorRow = -1;     // the row an extension starts from
    bool m_extending = false; // the current cell moves as part of extending a selection
};

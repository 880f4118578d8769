#include "staff/StaffStep.h"

#include "common/Convert.h"
#include "staff/StaffSheet.h"

#include <algorithm>

StaffStep::StaffStep(StaffSheet &sheet, std::vector<Cell> cells, int addedFrom,
                     std::vector<QStringList> added, std::vector<QStringList> replaced,
                     bool applied)
    : m_sheet(sheet), m_cells(std::move(cells)), m_addedFrom(addedFrom), m_added(std::move(added)),
      m_replaced(std::move(replaced)), m_skipRedo(applied)
{
}

void StaffStep::redo()
{
    if (m_skipRedo) {
        m_skipRedo = false; // the grid shows it already
        return;
    }
    m_sheet.DropRows(m_addedFrom, int(m_replaced.size()));
    m_sheet.AddRows(m_added);
    m_sheet.WriteCells(m_cells, true);
}

void StaffStep::undo()
{
    m_sheet.DropRows(m_addedFrom, int(m_added.size()));
    m_sheet.AddRows(m_replaced);
    m_sheet.WriteCells(m_cells, false);
}

bool StaffStep::IsTyping(int row, int col) const
{
    return m_cells.size() == 1 && m_cells.front().Row == row && m_cells.front().Col == col;
}

void StaffStep::Typed(const QString &text)
{
    m_cells.front().After = text;
    checkObsolete();
}

void StaffStep::RowAdded(const QStringList &row)
{
    m_added.push_back(row);
    checkObsolete();
}

void StaffStep::RowRemoved(int row, bool done)
{
    std::erase_if(m_cells, [row](const Cell &cell) { return cell.Row == row; });
    for (Cell &cell : m_cells) {
        if (cell.Row > row)
            --cell.Row;
    }
    std::vector<QStringList> &shown = done ? m_added : m_replaced;
    if (row < m_addedFrom)
        --m_addedFrom;
    else if (row < m_addedFrom + int(shown.size()))
        shown.erase(shown.begin() + (row - m_addedFrom));
    checkObsolete();
}

std::pair<int, int> StaffStep::Where() const
{
    if (!m_cells.empty())
        return {m_cells.front().Row, m_cells.front().Col};
    return {m_addedFrom, -1};
}

// A step that changes nothing (typing back what was there, rows it touched gone) is left out
// when undoing and redoing.
void StaffStep::checkObsolete()
{
    const bool same = std::all_of(m_cells.cbegin(), m_cells.cend(), [](const Cell &cell) {
        return DatabaseValueText(cell.Before) == DatabaseValueText(cell.After);
    });
    setObsolete(same && m_added.empty() && m_replaced.empty());
}

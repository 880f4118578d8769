#include "staff/StaffEdits.h"

#include "common/Convert.h"

#include <algorithm>

void StaffEdits::CellChanging(int gridRow, const QString &key, int field,
                              const std::function<QVariant()> &read)
{
    Row &row = m_rows[gridRow];
    row.Key = key;
    const bool known = std::any_of(row.Read.cbegin(), row.Read.cend(),
                                   [field](const auto &cell) { return cell.first == field; });
    if (!known)
        row.Read.emplace_back(field, read());
}

void StaffEdits::RowsRemoved(int gridRow, int count)
{
    std::map<int, Row> moved;
    for (auto &[row, edits] : m_rows) {
        if (row < gridRow)
            moved.emplace(row, std::move(edits));
        else if (row >= gridRow + count)
            moved.emplace(row - count, std::move(edits));
    }
    m_rows = std::move(moved);
}

bool StaffEdits::Changed(int gridRow, const std::function<QString(int field)> &shown) const
{
    const auto row = m_rows.find(gridRow);
    if (row == m_rows.cend())
        return false;
    return std::any_of(row->second.Read.cbegin(), row->second.Read.cend(), [&](const auto &cell) {
        return shown(cell.first) != DatabaseValueText(cell.second);
    });
}

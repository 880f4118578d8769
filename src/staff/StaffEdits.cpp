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

namespace {
template <typename Value> void MoveUp(std::map<int, Value> &rows, int gridRow, int count)
{
    std::map<int, Value> moved;
    for (auto &[row, value] : rows) {
        if (row < gridRow)
            moved.emplace(row, std::move(value));
        else if (row >= gridRow + count)
            moved.emplace(row - count, std::move(value));
    }
    rows = std::move(moved);
}
} // namespace

void StaffEdits::RowsRemoved(int gridRow, int count)
{
    MoveUp(m_rows, gridRow, count);
    MoveUp(m_maybeInserted, gridRow, count);
    MoveUp(m_restored, gridRow, count);
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

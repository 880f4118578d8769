#include "staff/StaffEdits.h"

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
template <typename Value> void MoveUp(std::map<int, Value> &rows, int gridRow)
{
    std::map<int, Value> moved;
    for (auto &[row, value] : rows) {
        if (row != gridRow)
            moved.emplace(row > gridRow ? row - 1 : row, std::move(value));
    }
    rows = std::move(moved);
}
} // namespace

void StaffEdits::RowRemoved(int gridRow)
{
    MoveUp(m_rows, gridRow);
    MoveUp(m_maybeInserted, gridRow);
}

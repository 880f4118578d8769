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

void StaffEdits::RowRemoved(int gridRow)
{
    std::map<int, Row> moved;
    for (auto &[row, edits] : m_rows) {
        if (row != gridRow)
            moved.emplace(row > gridRow ? row - 1 : row, std::move(edits));
    }
    m_rows = std::move(moved);
}

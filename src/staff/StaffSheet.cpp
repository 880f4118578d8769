#include "staff/StaffSheet.h"

#include "common/Convert.h"
#include "db/ClerkFields.h"
#include "staff/StaffEdits.h"
#include "widgets/FlexGrid.h"
#include "widgets/PastePlan.h"

using ClerkColumns::GridCol;
using ClerkColumns::GridKeyCol;
using ClerkColumns::GridSerialCol;

StaffSheet::StaffSheet(FlexGrid &grid, StaffEdits &edits) : m_grid(grid), m_edits(edits) {}

StaffSheet::~StaffSheet() = default;

StaffStep *StaffSheet::step(int index) const
{
    // The stack holds only steps, made here.
    return static_cast<StaffStep *>(const_cast<QUndoCommand *>(m_stack.command(index)));
}

// The step typing goes on in, while it is still the last one.
StaffStep *StaffSheet::typing() const
{
    const int last = m_stack.index() - 1;
    return m_typing && last >= 0 && step(last) == m_typing ? m_typing : nullptr;
}

void StaffSheet::Type(int row, int col, const QString &text)
{
    if (text == m_grid.TextMatrix(row, col))
        return; // the editor loading a cell writes its own text back
    StaffStep::Cell cell{row, col, m_grid.CellValue(row, col), text};
    WriteCells({cell}, true);
    if (StaffStep *open = typing(); open && open->IsTyping(row, col)) {
        open->Typed(text);
        return;
    }
    auto *step = new StaffStep(*this, {std::move(cell)}, m_grid.Rows(), {}, {}, true);
    m_stack.push(step);
    m_typing = step;
}

void StaffSheet::AddEntryRowWhileTyping()
{
    const QStringList entryRow;
    AddRows({entryRow});
    if (StaffStep *open = typing())
        open->RowAdded(entryRow);
}

void StaffSheet::EndTyping()
{
    m_typing = nullptr;
}

void StaffSheet::Paste(const PastePlan &plan, const CellRows &block)
{
    EndTyping();
    const int rows = m_grid.Rows();
    std::vector<StaffStep::Cell> cells;
    std::vector<QStringList> added;
    std::vector<QStringList> replaced;
    // A block that starts in the new-entry row replaces it with rows of its own: writing into
    // a loaded column would make it keep one string per cell.
    int from = rows;
    if (plan.FirstRow() == rows - 1 && m_grid.TextMatrix(rows - 1, GridKeyCol).isEmpty()) {
        from = rows - 1;
        QStringList &entryRow = replaced.emplace_back();
        for (int col = 0; col < m_grid.Cols(); ++col)
            entryRow << m_grid.TextMatrix(from, col);
    }
    for (size_t line = size_t(plan.FirstLine()); line < size_t(plan.EndLine()); ++line) {
        const int row = plan.FirstRow() + int(line) - plan.FirstLine();
        const QStringList &values = block[line];
        QStringList *newRow = nullptr;
        if (row >= from) {
            newRow = &added.emplace_back();
            newRow->resize(m_grid.Cols());
        }
        for (qsizetype v = 0; v < values.size(); ++v) {
            const int col = plan.ColumnOf(int(v));
            if (newRow)
                (*newRow)[col] = values.at(v);
            else if (m_grid.TextMatrix(row, col) != values.at(v))
                cells.push_back({row, col, m_grid.CellValue(row, col), values.at(v)});
        }
    }
    while (from + int(added.size()) < rows + plan.AddedRows())
        added.emplace_back(); // the fresh new-entry row
    if (cells.empty() && added.empty())
        return;
    m_stack.push(
        new StaffStep(*this, std::move(cells), from, std::move(added), std::move(replaced), false));
}

void StaffSheet::RestoreCells(std::vector<StaffStep::Cell> cells)
{
    EndTyping();
    if (!cells.empty())
        m_stack.push(new StaffStep(*this, std::move(cells), m_grid.Rows(), {}, {}, false));
}

void StaffSheet::RestoreRows(std::vector<QStringList> rows)
{
    EndTyping();
    if (rows.empty())
        return;
    const int last = m_grid.Rows() - 1;
    std::vector<QStringList> replaced;
    bool entryRow = last >= m_grid.FixedRows() && m_grid.TextMatrix(last, GridKeyCol).isEmpty();
    for (int field = 0; entryRow && field < ClerkFieldCount; ++field)
        entryRow = m_grid.TextMatrix(last, GridCol(field)).isEmpty();
    if (entryRow)
        replaced.emplace_back(m_grid.Cols());
    rows.emplace_back(); // the fresh new-entry row
    m_stack.push(new StaffStep(*this, {}, entryRow ? last : last + 1, std::move(rows),
                               std::move(replaced), false));
}

bool StaffSheet::Undo(std::pair<int, int> *where)
{
    return walk(false, where);
}

bool StaffSheet::Redo(std::pair<int, int> *where)
{
    return walk(true, where);
}

// Steps that came to change nothing are dropped on the way.
bool StaffSheet::walk(bool redo, std::pair<int, int> *where)
{
    EndTyping();
    while (redo ? m_stack.canRedo() : m_stack.canUndo()) {
        const StaffStep *next = step(redo ? m_stack.index() : m_stack.index() - 1);
        const bool changes = !next->isObsolete();
        if (changes && where)
            *where = next->Where();
        redo ? m_stack.redo() : m_stack.undo();
        if (changes)
            return true;
    }
    return false;
}

void StaffSheet::NewHistory()
{
    EndTyping();
    m_stack.clear();
}

void StaffSheet::RemoveRow(int row)
{
    m_grid.RemoveItem(row);
    m_edits.RowRemoved(row);
    for (int i = 0; i < m_stack.count(); ++i)
        step(i)->RowRemoved(row, i < m_stack.index());
}

void StaffSheet::AddEntryRow()
{
    m_grid.AddItem(QString());
    const int last = m_grid.Rows() - 1;
    m_grid.setTextMatrix(last, GridSerialCol, QString::number(last));
}

void StaffSheet::KeepEntryRow()
{
    const int last = m_grid.Rows() - 1;
    bool blank = last >= m_grid.FixedRows() && m_grid.TextMatrix(last, GridKeyCol).isEmpty();
    for (int field = 0; blank && field < ClerkFieldCount; ++field)
        blank = IsBlank(m_grid.TextMatrix(last, GridCol(field)));
    if (!blank)
        AddEntryRow();
}

bool StaffSheet::Unsaved(int row) const
{
    return m_edits.Changed(
        row, [this, row](int field) { return m_grid.TextMatrix(row, GridCol(field)); });
}

bool StaffSheet::Unsaved() const
{
    for (const auto &[row, read] : m_edits.Rows()) {
        if (Unsaved(row))
            return true;
    }
    if (!m_edits.RestoredRows().empty())
        return true;
    for (const int row : NewRows()) {
        for (int field = 0; field < ClerkFieldCount; ++field) {
            if (!IsBlank(m_grid.TextMatrix(row, GridCol(field))))
                return true;
        }
    }
    return false;
}

std::vector<int> StaffSheet::NewRows() const
{
    // Typed and restored rows only ever grow at the bottom, and a save that inserts reloads the
    // grid.
    int first = m_grid.Rows();
    while (first > m_grid.FixedRows() &&
           (m_grid.TextMatrix(first - 1, GridKeyCol).isEmpty() || m_edits.IsRestored(first - 1)))
        --first;
    std::vector<int> rows;
    for (int row = first; row < m_grid.Rows(); ++row)
        rows.push_back(row);
    return rows;
}

qint64 StaffSheet::HighestKey() const
{
    qint64 highest = 0;
    for (int row = m_grid.FixedRows(); row < m_grid.Rows(); ++row) {
        if (!m_edits.IsRestored(row))
            highest = qMax(highest, m_grid.TextMatrix(row, GridKeyCol).toLongLong());
    }
    return highest;
}

void StaffSheet::WriteCells(const std::vector<StaffStep::Cell> &cells, bool after)
{
    std::vector<GridCellValue> writes;
    writes.reserve(cells.size());
    for (const StaffStep::Cell &cell : cells) {
        const QString key = m_grid.TextMatrix(cell.Row, GridKeyCol);
        const int field = ClerkColumns::FieldOfGridCol(cell.Col);
        if (field >= 0 && !key.isEmpty() && !m_edits.IsRestored(cell.Row))
            m_edits.CellChanging(cell.Row, key, field,
                                 [&] { return m_grid.CellValue(cell.Row, cell.Col); });
        writes.push_back({cell.Row, cell.Col, after ? cell.After : cell.Before});
    }
    m_grid.setCellValues(writes);
}

void StaffSheet::AddRows(const std::vector<QStringList> &rows)
{
    if (rows.empty())
        return;
    const int first = m_grid.Rows();
    m_grid.AddItems(rows);
    m_grid.NumberRows(GridSerialCol);
    for (size_t i = 0; i < rows.size(); ++i) {
        const QStringList &row = rows[i];
        if (row.value(GridKeyCol).isEmpty())
            continue;
        QStringList cells{row.value(GridKeyCol)};
        for (int field = 0; field < ClerkFieldCount; ++field)
            cells << row.value(GridCol(field));
        m_edits.Restored(first + int(i), std::move(cells));
    }
}

void StaffSheet::DropRows(int from, int count)
{
    if (count <= 0)
        return;
    m_grid.RemoveItems(from, count);
    m_edits.RowsRemoved(from, count);
    m_grid.NumberRows(GridSerialCol);
}

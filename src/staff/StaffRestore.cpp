#include "staff/StaffRestore.h"

#include "common/Convert.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "staff/frmHistory.h"
#include "staff/frmMain.h"
#include "staff/StaffCellEditor.h"
#include "staff/StaffEdits.h"
#include "staff/StaffSheet.h"
#include "widgets/FlexGrid.h"
#include "widgets/MsgBox.h"

#include <QSet>

namespace {
using ClerkColumns::GridCol;
using ClerkColumns::GridKeyCol;
constexpr int UserNameField = ClerkFieldIndex("Clerk_UserName");

constexpr LangText RowGoneText{
    "0511", "This row is no longer in the directory: Deleted Staff\u2026 can put it back."};
} // namespace

StaffRestore::StaffRestore(frmMain &window, FlexGrid &grid, StaffCellEditor &editor,
                           StaffSheet &sheet, const StaffEdits &edits)
    : m_window(window), m_grid(grid), m_editor(editor), m_sheet(sheet), m_edits(edits)
{
}

frmHistory *StaffRestore::historyWindow()
{
    frmHistory *history = frmHistory::instance();
    history->setParent(&m_window, Qt::Window);
    QObject::connect(history, &frmHistory::Restored, &m_window, &frmMain::RestoreEntries,
                     Qt::UniqueConnection);
    return history;
}

void StaffRestore::ShowHistory(int row)
{
    const QString key = m_grid.TextMatrix(row, GridKeyCol);
    if (row < m_grid.FixedRows() || !IsPlainWholeNumber(key))
        return;
    QString name = TrimBlanks(m_grid.TextMatrix(row, GridCol(UserNameField)));
    if (name.isEmpty())
        name = m_grid.TextMatrix(row, ClerkColumns::GridSerialCol);
    frmHistory *history = historyWindow();
    if (history->ShowChanges(Session().gstrConnection, key, name, Session().gblnEditInnerInfo))
        frmHistory::ShowInFront();
    else
        historyFailed(history);
}

// The history could not be read: no empty list, but why.
void StaffRestore::historyFailed(frmHistory *history)
{
    const QString reason = LastDatabaseFailure();
    history->close();
    MsgFailed(reason, &m_window);
}

void StaffRestore::ShowDeletedStaff()
{
    QSet<QString> inGrid;
    for (const auto &[row, cells] : m_edits.RestoredRows())
        inGrid.insert(cells.value(ClerkColumns::RecordKeyCol));
    frmHistory *history = historyWindow();
    if (history->ShowDeleted(Session().gstrConnection, inGrid, Session().gblnEditInnerInfo))
        frmHistory::ShowInFront();
    else
        historyFailed(history);
}

void StaffRestore::RestoreEntries(const std::vector<StaffHistory::Entry> &entries)
{
    if (!Session().gblnEditInnerInfo || entries.empty())
        return;
    m_editor.Hide();
    if (entries.front().What == StaffHistory::Kind::Changed)
        RestoreChange(entries.front());
    else
        RestoreRows(entries);
    m_editor.Show();
}

int StaffRestore::RowOfKey(const QString &key) const
{
    for (int row = m_grid.FixedRows(); row < m_grid.Rows(); ++row) {
        if (m_grid.TextMatrix(row, GridKeyCol) == key && !m_edits.IsRestored(row))
            return row;
    }
    return -1;
}

// The fields the change altered get the values they held before it, as if typed.
void StaffRestore::RestoreChange(const StaffHistory::Entry &entry)
{
    const int row = RowOfKey(entry.Key);
    if (row < 0) {
        MsgBox(GetLangText(RowGoneText), QMessageBox::Information, QMessageBox::Ok, &m_window);
        return;
    }
    std::vector<StaffStep::Cell> cells;
    for (const int field : entry.Fields()) {
        const int col = GridCol(field);
        const QVariant before = entry.Before[size_t(field)];
        if (m_grid.TextMatrix(row, col) != DatabaseValueText(before))
            cells.push_back({row, col, m_grid.CellValue(row, col), before});
    }
    const StaffCellEditor::Quiet quiet(m_editor);
    const int col = cells.empty() ? m_grid.Col() : cells.front().Col;
    m_sheet.RestoreCells(std::move(cells));
    m_grid.ShowCell(row, col);
    m_grid.Select(row, col);
}

// Deleted rows come back at the bottom with their old keys; one the grid holds already stays
// as it is.
void StaffRestore::RestoreRows(const std::vector<StaffHistory::Entry> &entries)
{
    QSet<QString> held;
    for (int row = m_grid.FixedRows(); row < m_grid.Rows(); ++row)
        held.insert(m_grid.TextMatrix(row, GridKeyCol));
    std::vector<QStringList> rows;
    for (const StaffHistory::Entry &entry : entries) {
        if (entry.What != StaffHistory::Kind::Deleted || !IsPlainWholeNumber(entry.Key) ||
            held.contains(entry.Key))
            continue;
        held.insert(entry.Key);
        QStringList &cells = rows.emplace_back(ClerkColumns::GridColCount);
        cells[GridKeyCol] = entry.Key;
        for (int field = 0; field < ClerkFieldCount; ++field)
            cells[GridCol(field)] = DatabaseValueText(entry.Before[size_t(field)]);
    }
    if (rows.empty())
        return;
    const StaffCellEditor::Quiet quiet(m_editor);
    const int count = int(rows.size());
    m_sheet.RestoreRows(std::move(rows));
    // Above the fresh new-entry row.
    const int first = m_grid.Rows() - 1 - count;
    m_grid.ShowCell(first, GridCol(0));
    m_grid.Select(first, GridCol(0));
}

#pragma once
// The staff directory's history as the staff window uses it: a row's changes and the deleted
// rows open in the history window, and what the user restores there comes back into the grid
// as unsaved edits, one step each, as if typed.

#include "staff/StaffHistory.h"

#include <QString>
#include <vector>

class FlexGrid;
class frmHistory;
class frmMain;
class StaffCellEditor;
class StaffEdits;
class StaffSheet;

class StaffRestore
{
public:
    StaffRestore(frmMain &window, FlexGrid &grid, StaffCellEditor &editor, StaffSheet &sheet,
                 const StaffEdits &edits);

    void ShowHistory(int row);
    void ShowDeletedStaff();
    // A change puts back the values its fields held before it; deleted rows come back at the
    // bottom with their old keys.
    void RestoreEntries(const std::vector<StaffHistory::Entry> &entries);

private:
    // The shared history window, over the staff window and reporting to it.
    frmHistory *historyWindow();
    void historyFailed(frmHistory *history);
    void RestoreChange(const StaffHistory::Entry &entry);
    void RestoreRows(const std::vector<StaffHistory::Entry> &entries);
    // The grid row of a saved row, -1 when the grid does not hold it.
    int RowOfKey(const QString &key) const;

    frmMain &m_window;
    FlexGrid &m_grid;
    StaffCellEditor &m_editor;
    StaffSheet &m_sheet;
    const StaffEdits &m_edits;
};

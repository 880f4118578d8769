#pragma once
// The staff grid as the user changes it: cells typed and pasted, rows added below and removed,
// each change a step that can be undone and redone (Qt's undo stack). A cell of a saved row keeps
// in StaffEdits the value it was read with, the first time it changes, so that the save writes
// only what changed; a cell undone back to that value leaves the row with nothing unsaved.

#include "common/CellBlock.h"
#include "staff/StaffStep.h"

#include <QUndoStack>
#include <utility>
#include <vector>

class FlexGrid;
class PastePlan;
class StaffEdits;

class StaffSheet
{
public:
    StaffSheet(FlexGrid &grid, StaffEdits &edits);
    ~StaffSheet();
    StaffSheet(const StaffSheet &) = delete;
    StaffSheet &operator=(const StaffSheet &) = delete;

    // A cell typed into: the first change starts a step, the next ones in the same cell go on
    // in it until EndTyping.
    void Type(int row, int col, const QString &text);
    // Typing in the new-entry row made it a row: a fresh new-entry row below, in the same step.
    void AddEntryRowWhileTyping();
    void EndTyping();

    // A paste that fits (plan.Problem() is None): one step.
    void Paste(const PastePlan &plan, const CellRows &block);

    // Values from the history, each as one step: cells of rows in the grid, typed as the user
    // would; deleted rows (cells by grid column, their old keys in the key column) added at the
    // bottom in place of the new-entry row, with a fresh one below. A row added with a key is a
    // restored row (StaffEdits::Restored) for as long as it is in the grid.
    void RestoreCells(std::vector<StaffStep::Cell> cells);
    void RestoreRows(std::vector<QStringList> rows);

    // Undoes or redoes the last step that changes anything; where it did so (row, column; -1
    // for a whole row), or false when there is none.
    bool Undo(std::pair<int, int> *where = nullptr);
    bool Redo(std::pair<int, int> *where = nullptr);
    bool CanUndo() const { return m_stack.canUndo(); }
    bool CanRedo() const { return m_stack.canRedo(); }
    // After a load or a successful save: nothing to undo.
    void NewHistory();

    // The user deleted a row (or the save let a colleague's deletion through): the record of
    // what was read and the steps follow the rows below it up.
    void RemoveRow(int row);
    // A blank row at the bottom to type a new entry in, outside the steps (after a load).
    void AddEntryRow();
    // An undone paste takes the new-entry row with it when the row the paste began in was
    // deleted in between: a blank row at the bottom again.
    void KeepEntryRow();

    // What is not in the database yet: a row's changed fields (a saved row shows another value
    // than it was read with), rows restored, anything typed in new rows.
    bool Unsaved(int row) const;
    bool Unsaved() const;
    // Rows typed or restored below the saved ones, which are not in the database yet.
    std::vector<int> NewRows() const;
    // The highest key of a saved row.
    qint64 HighestKey() const;

    // What the steps do to the grid.
    void WriteCells(const std::vector<StaffStep::Cell> &cells, bool after);
    void AddRows(const std::vector<QStringList> &rows);
    void DropRows(int from, int count);

private:
    bool walk(bool redo, std::pair<int, int> *where);
    StaffStep *typing() const;
    StaffStep *step(int index) const;

    FlexGrid &m_grid;
    StaffEdits &m_edits;
    QUndoStack m_stack;
    StaffStep *m_typing = nullptr;
};

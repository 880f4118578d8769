#pragma once
// One step of the staff grid's history: cells changed, each with its value before and after, and
// rows added at the bottom, in place of the rows that were there (a paste replaces the blank
// new-entry row, so that its columns need not take one string per cell). A typed cell, a paste
// and a restore are each one step; typing one cell goes on in the same step until the editor
// leaves it. Steps follow the rows up as rows above them are removed, and forget the cells of a
// removed row.

#include <QStringList>
#include <QUndoCommand>
#include <QVariant>
#include <vector>

class StaffSheet;

class StaffStep : public QUndoCommand
{
public:
    struct Cell
    {
        int Row; // grid row
        int Col;
        QVariant Before; // as the grid held it: a null variant for a null cell
        QVariant After;
    };

    // addedFrom: the grid row the added rows start at, where the replaced ones stood (each row
    // a list of cells by column). applied: the change is in the grid already (typing), so that
    // the first redo writes nothing.
    StaffStep(StaffSheet &sheet, std::vector<Cell> cells, int addedFrom,
              std::vector<QStringList> added, std::vector<QStringList> replaced, bool applied);

    void undo() override;
    void redo() override;

    // Typing in the step's cell went on; typing in the new-entry row added a row.
    bool IsTyping(int row, int col) const;
    void Typed(const QString &text);
    void RowAdded(const QStringList &row);

    // The grid row went away: rows below it move up. done: the step is in the grid.
    void RowRemoved(int row, bool done);

    // Where the step changed the grid first: a cell, or the first added row.
    std::pair<int, int> Where() const;

private:
    void checkObsolete();

    StaffSheet &m_sheet;
    std::vector<Cell> m_cells;
    int m_addedFrom;
    std::vector<QStringList> m_added;
    std::vector<QStringList> m_replaced;
    bool m_skipRedo;
};

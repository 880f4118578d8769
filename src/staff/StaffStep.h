#pragma once
// One step of the staff grid's history: cells changed, each with its value before and after, and
// rows added at the bottom. A typed cell, a paste and a restore are each one step; typing one
// cell goes on in the same step until the editor leaves it. Steps follow the rows up as rows
// above them are removed, and forget the cells of a removed row.

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

    // addedFrom: the grid row the added rows start at. applied: the change is in the grid
    // already (typing), so that the first redo writes nothing.
    StaffStep(StaffSheet &sheet, std::vector<Cell> cells, int addedFrom,
              std::vector<QStringList> added, bool applied);

    void undo() override;
    void redo() override;

    // Typing in the step's cell went on; typing in the new-entry row added a row.
    bool IsTyping(int row, int col) const;
    void Typed(const QString &text);
    void RowAdded(const QStringList &row);

    // The grid row went away: rows below it move up.
    void RowRemoved(int row);

    // Where the step changed the grid first: a cell, or the first added row.
    std::pair<int, int> Where() const;

private:
    void checkObsolete();

    StaffSheet &m_sheet;
    std::vector<Cell> m_cells;
    int m_addedFrom;
    std::vector<QStringList> m_added;
    bool m_skipRedo;
};

#pragma once
// The Edit commands of the staff grid: copy, paste, undo and redo. Paste and the steps back and
// forth need the edit permission; each change they make is one step of the grid's history.

#include "widgets/PastePlan.h"

#include <QString>
#include <vector>

class FlexGrid;
class GridMenu;
class QWidget;
class StaffCellEditor;
class StaffSheet;

class StaffEditCommands
{
public:
    // window: the owner of the messages; menu: the grid's, whose copies these are.
    StaffEditCommands(QWidget *window, FlexGrid &grid, StaffCellEditor &editor, StaffSheet &sheet,
                      const GridMenu &menu);

    // The text selected in the open editor, the rows picked out, or else the current cell.
    void Copy();
    // A block of tab-separated cells in from the current cell; a single value into the editor
    // when it is open.
    void Paste();
    void Undo();
    void Redo();

private:
    void step(bool redo);
    void pasteBlock(const QString &text);
    void pasteIntoEditor(const QString &text);
    std::vector<PastePlan::Column> pasteColumns() const;
    void refusePaste(int line, int value, int col);

    QWidget *m_window;
    FlexGrid &m_grid;
    StaffCellEditor &m_editor;
    StaffSheet &m_sheet;
    const GridMenu &m_menu;
};

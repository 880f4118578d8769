#pragma once
// The staff grid's in-cell editor: a text box laid over the current cell when the user may edit
// it, taking no more characters by typing than the cell's column holds. Moves of the grid made
// by the code are made quiet, so that they do not open it on every cell they pass.

#include <QScopedValueRollback>

class FlexGrid;
class LengthLimiter;
class QLineEdit;
class QWidget;
class StaffSheet;

class StaffCellEditor
{
public:
    // Makes the text box (txtInput) on the window; made after the grid, it lies above it.
    StaffCellEditor(QWidget *window, FlexGrid &grid, StaffSheet &sheet);
    StaffCellEditor(const StaffCellEditor &) = delete;
    StaffCellEditor &operator=(const StaffCellEditor &) = delete;

    QLineEdit *LineEdit() const { return m_input; }
    // The character limit of the cell it is open on; 0 means none.
    int Limit() const;
    // Character limit of the editor in a grid column; 0 means none.
    static int ColumnMaxLength(int col);

    // Over the current cell, with its text, when the user may edit it.
    void Show();
    // Closing it ends the step the typing was.
    void Hide();
    // Enter: on to the next field, from the last one to the first of the next row; it never
    // makes a row by itself.
    void ShowNext();
    // The user moved the grid: the editor goes with the current cell, unless the move is quiet.
    void Follow();

    // While one lives, the grid's moves do not open the editor.
    class Quiet
    {
    public:
        explicit Quiet(StaffCellEditor &editor) : m_rollback(editor.m_quiet, true) {}

    private:
        QScopedValueRollback<bool> m_rollback;
    };

private:
    FlexGrid &m_grid;
    StaffSheet &m_sheet;
    QLineEdit *m_input;
    LengthLimiter *m_limiter;
    bool m_quiet = false;
};

#pragma once
// The staff grid's context menu: copy and paste, undo and redo, the button bar's Find, Delete
// and Refresh, and the history where the database keeps one. Its keys work in the in-cell
// editor too, where undo and redo take back the typing first, as in any text box.

class FlexGrid;
class frmMain;
class GridMenu;
class QAction;
class QContextMenuEvent;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class StaffSheet;

class StaffMenu
{
public:
    struct Buttons
    {
        QPushButton *Find;
        QPushButton *Delete;
        QPushButton *Refresh;
    };

    // The entries run the window's commands.
    StaffMenu(frmMain &window, FlexGrid &grid, const StaffSheet &sheet, const Buttons &buttons);
    StaffMenu(const StaffMenu &) = delete;
    StaffMenu &operator=(const StaffMenu &) = delete;

    const GridMenu &Menu() const { return *m_menu; }
    void SetCaptions();
    // History and Deleted Staff, for a database whose history this login may read.
    void ShowHistoryEntries(bool visible);

    // A key pressed in the editor: true when the menu's keys took it.
    bool EditorKey(const QKeyEvent *event, QLineEdit &editor);
    // The menu asked for over the editor: the grid's, not the text box's own.
    void EditorMenu(const QContextMenuEvent &event);

private:
    void update();

    frmMain &m_window;
    FlexGrid &m_grid;
    const StaffSheet &m_sheet;
    GridMenu *m_menu;
    QAction *m_actPaste;
    QAction *m_actUndo;
    QAction *m_actRedo;
    QAction *m_actHistory;
    QAction *m_actDeleted;
};

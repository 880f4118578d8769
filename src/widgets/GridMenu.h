#pragma once
// The context menu of a list grid and the keys of its entries. The window adds the entries that
// apply to it; the menu opens on a right-click, the Menu key or Shift+F10, on the grid or on an
// editor laid over it, and an entry's keys run it on the grid without the menu. Copy Cell copies
// the value under the pointer (the current cell's from the keyboard); Copy Rows the rows picked,
// without the serial numbers, under one line of the grid's captions, as tab-separated text and
// as an HTML table. Ctrl+C copies the current cell, or the rows when several are picked.

#include "common/Language.h"

#include <functional>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPoint>
#include <vector>

class FlexGrid;
class QAction;
class QKeyEvent;
class QMenu;
class QPushButton;

class GridMenu : public QObject
{
    Q_OBJECT
public:
    // serialCol: the column of serial numbers, which copies leave out.
    GridMenu(FlexGrid *grid, int serialCol);
    ~GridMenu() override;

    // An entry with its caption from the language pack, the keys shown beside it, and what it
    // does. gridKeys: the keys also run it while the grid (or its editor) has the focus; else
    // the window's own shortcuts run the same command and the menu only shows them.
    QAction *AddEntry(const LangText &caption, const QList<QKeySequence> &keys, bool gridKeys,
                      std::function<void()> run);
    // An entry that presses a button of the window, and is enabled as the button is.
    QAction *AddButtonEntry(QPushButton *button, const LangText &caption,
                            const QKeySequence &key = {});
    // Copy Cell and Copy Rows.
    void AddCopyEntries();
    void AddSeparator();
    // Runs before the menu shows, to enable what applies now.
    void setUpdate(std::function<void()> update) { m_update = std::move(update); }

    // The captions in the session's language.
    void SetCaptions();

    // Opens the menu for a cell at pos (global); below the current cell, as the Menu key does.
    void Popup(int row, int col, const QPoint &pos);
    void PopupAtCurrent();
    // Runs the entry a key belongs to, or copies on Ctrl+C; true when the key was taken. The
    // window sends the keys of an editor over the grid here.
    bool RunKey(const QKeyEvent *event);
    // The entry a key runs on the grid, if any.
    QAction *EntryOf(const QKeyEvent *event) const;

    // Puts on the clipboard: the text of a cell; the rows picked (the current one when one).
    void CopyCell(int row, int col) const;
    void CopyRows() const;

    QMenu *Menu() const { return m_menu; }
    // The cell the open menu belongs to.
    int MenuRow() const { return m_row; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QAction *Action;
        LangText Caption;
        bool GridKeys;
    };
    FlexGrid *m_grid;
    int m_serialCol;
    QMenu *m_menu;
    std::vector<Entry> m_entries;
    std::vector<std::pair<QAction *, QPushButton *>> m_buttons;
    std::function<void()> m_update;
    QAction *m_copyCell = nullptr;
    int m_row = 0; // the cell the menu was opened for
    int m_col = 0;
};

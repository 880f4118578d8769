#include "staff/StaffMenu.h"

#include "common/Convert.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "staff/frmMain.h"
#include "staff/StaffSheet.h"
#include "widgets/FlexGrid.h"
#include "widgets/GridMenu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
constexpr LangText PasteText{"0493", "Paste"};
constexpr LangText UndoText{"0494", "Undo"};
constexpr LangText RedoText{"0495", "Redo"};
constexpr LangText HistoryText{"0500", "History\u2026"};
constexpr LangText DeletedText{"0501", "Deleted Staff\u2026"};
} // namespace

StaffMenu::StaffMenu(frmMain &window, FlexGrid &grid, const StaffSheet &sheet,
                     const Buttons &buttons)
    : m_window(window), m_grid(grid), m_sheet(sheet),
      m_menu(new GridMenu(&grid, ClerkColumns::GridSerialCol))
{
    m_menu->AddCopyEntries();
    m_actPaste = m_menu->AddEntry(PasteText, QKeySequence::keyBindings(QKeySequence::Paste), true,
                                  [this] { m_window.Paste(); });
    m_menu->AddSeparator();
    m_actUndo = m_menu->AddEntry(UndoText, QKeySequence::keyBindings(QKeySequence::Undo), true,
                                 [this] { m_window.Undo(); });
    m_actRedo = m_menu->AddEntry(
        RedoText,
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, true,
        [this] { m_window.Redo(); });
    m_menu->AddSeparator();
    m_menu->AddButtonEntry(buttons.Find, {"0158", "Find"}, QKeySequence::Find);
    m_menu->AddButtonEntry(buttons.Delete, {"0010", "Delete"}, QKeySequence::Delete);
    m_menu->AddButtonEntry(buttons.Refresh, {"0037", "Refresh"}, QKeySequence::Refresh);
    m_menu->AddSeparator();
    m_actHistory = m_menu->AddEntry(HistoryText, {}, false,
                                    [this] { m_window.ShowHistory(m_menu->MenuRow()); });
    m_actDeleted =
        m_menu->AddEntry(DeletedText, {}, false, [this] { m_window.ShowDeletedStaff(); });
    ShowHistoryEntries(false);
    m_menu->setUpdate([this] { update(); });
}

void StaffMenu::SetCaptions()
{
    m_menu->SetCaptions();
}

void StaffMenu::ShowHistoryEntries(bool visible)
{
    m_actHistory->setVisible(visible);
    m_actDeleted->setVisible(visible);
}

void StaffMenu::update()
{
    // Paste does not look at the clipboard first: another program may hold it, and answer
    // slowly.
    const bool edit = Session().gblnEditInnerInfo;
    m_actPaste->setEnabled(edit);
    m_actUndo->setEnabled(edit && m_sheet.CanUndo());
    m_actRedo->setEnabled(edit && m_sheet.CanRedo());
    const int row = m_menu->MenuRow();
    m_actHistory->setEnabled(row >= m_grid.FixedRows() &&
                             IsPlainWholeNumber(m_grid.TextMatrix(row, ClerkColumns::GridKeyCol)));
}

bool StaffMenu::EditorKey(const QKeyEvent *event, QLineEdit &editor)
{
    if (event->matches(QKeySequence::Copy)) {
        m_window.Copy();
        return true;
    }
    const QAction *entry = m_menu->EntryOf(event);
    // Typing in the cell is undone first, as in any text box; then the grid's steps.
    if (entry == m_actUndo || entry == m_actRedo) {
        const bool redo = entry == m_actRedo;
        if (redo ? editor.isRedoAvailable() : editor.isUndoAvailable())
            redo ? editor.redo() : editor.undo();
        else
            redo ? m_window.Redo() : m_window.Undo();
        return true;
    }
    if (entry)
        return m_menu->RunKey(event);
    // Ctrl+A selects the editor's text, as in any text box.
    return m_grid.PickKey(event, false);
}

void StaffMenu::EditorMenu(const QContextMenuEvent &event)
{
    if (event.reason() == QContextMenuEvent::Mouse)
        m_menu->Popup(m_grid.Row(), m_grid.Col(), event.globalPos());
    else
        m_menu->PopupAtCurrent();
}

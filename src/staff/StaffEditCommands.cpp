#include "staff/StaffEditCommands.h"

#include "common/CellBlock.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "staff/StaffCellEditor.h"
#include "staff/StaffSheet.h"
#include "widgets/BusyCursor.h"
#include "widgets/FlexGrid.h"
#include "widgets/GridMenu.h"
#include "widgets/MsgBox.h"

#include <algorithm>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

namespace {
constexpr LangText NoColumnText{
    "0496", "Nothing was pasted: row %1, column %2 of the copied cells has no column left."};
constexpr LangText TooLongText{"0497", "Nothing was pasted: row %1, column %2 of the copied "
                                       "cells is longer than the %3 characters of %4."};
} // namespace

StaffEditCommands::StaffEditCommands(QWidget *window, FlexGrid &grid, StaffCellEditor &editor,
                                     StaffSheet &sheet, const GridMenu &menu)
    : m_window(window), m_grid(grid), m_editor(editor), m_sheet(sheet), m_menu(menu)
{
}

void StaffEditCommands::Copy()
{
    QLineEdit *input = m_editor.LineEdit();
    if (input->isVisible() && input->hasSelectedText())
        input->copy();
    else if (m_grid.SelectedRows().size() > 1)
        m_menu.CopyRows();
    else
        m_menu.CopyCell(m_grid.Row(), m_grid.Col());
}

void StaffEditCommands::Paste()
{
    if (!Session().gblnEditInnerInfo)
        return;
    const QString text = QGuiApplication::clipboard()->text();
    const bool block = std::any_of(text.cbegin(), text.cend(),
                                   [](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r'; });
    if (m_editor.LineEdit()->isVisible() && !block)
        pasteIntoEditor(text);
    else
        pasteBlock(text);
}

// The fields the user sees, from the current one (or the first when the current cell is the
// serial number) rightwards, with the captions that mark a header line.
std::vector<PastePlan::Column> StaffEditCommands::pasteColumns() const
{
    std::vector<PastePlan::Column> columns;
    const QString english = ClerkHeaderLine();
    bool started = ClerkColumns::FieldOfGridCol(m_grid.Col()) < 0;
    for (const int col : m_grid.ColumnsAsShown()) {
        const int field = ClerkColumns::FieldOfGridCol(col);
        started = started || col == m_grid.Col();
        if (field >= 0 && started)
            columns.push_back({col,
                               StaffCellEditor::ColumnMaxLength(col),
                               {m_grid.TextMatrix(0, col), ClerkCaption(english, field)}});
    }
    return columns;
}

void StaffEditCommands::pasteBlock(const QString &text)
{
    const CellRows block = CellBlock::ReadTabText(text);
    const int row = m_grid.Row();
    if (block.empty() || row < m_grid.FixedRows())
        return;
    const PastePlan plan(block, row, m_grid.Rows(), pasteColumns());
    if (plan.Problem() != PastePlan::Misfit::None) {
        const PastePlan::Column *column = plan.MisfitColumn();
        refusePaste(plan.MisfitLine(), plan.MisfitValue(), column ? column->Col : -1);
        return;
    }
    const int col = m_grid.Col();
    m_editor.Hide();
    {
        BusyCursor busy;
        const StaffCellEditor::Quiet quiet(m_editor);
        m_sheet.Paste(plan, block);
        m_grid.Select(row, col);
    }
    m_editor.Show();
}

// As typing would put it in: at the cursor, over the selected text, within the limit.
void StaffEditCommands::pasteIntoEditor(const QString &text)
{
    QLineEdit *input = m_editor.LineEdit();
    const qsizetype length = input->text().size() - input->selectedText().size() + text.size();
    const int limit = m_editor.Limit();
    if (limit > 0 && length > limit && length > input->text().size()) {
        refusePaste(1, 1, m_grid.Col());
        return;
    }
    input->insert(text);
}

// Names the value that does not fit by its place among the copied cells; col: the column it
// is too long for, -1 when there is none left for it.
void StaffEditCommands::refusePaste(int line, int value, int col)
{
    const QString message = col < 0 ? GetLangText(NoColumnText).arg(line).arg(value)
                                    : GetLangText(TooLongText)
                                          .arg(line)
                                          .arg(value)
                                          .arg(StaffCellEditor::ColumnMaxLength(col))
                                          .arg(m_grid.TextMatrix(0, col));
    MsgBox(message, QMessageBox::Warning, QMessageBox::Ok, m_window);
}

void StaffEditCommands::Undo()
{
    step(false);
}

void StaffEditCommands::Redo()
{
    step(true);
}

// Undoes or redoes one step of the grid's history and shows where it was.
void StaffEditCommands::step(bool redo)
{
    if (!Session().gblnEditInnerInfo)
        return;
    m_editor.Hide();
    {
        const StaffCellEditor::Quiet quiet(m_editor);
        std::pair<int, int> where;
        if (redo ? m_sheet.Redo(&where) : m_sheet.Undo(&where)) {
            const int row = qBound(m_grid.FixedRows(), where.first, m_grid.Rows() - 1);
            const int col = where.second >= 0 ? where.second : ClerkColumns::GridCol(0);
            m_grid.ShowCell(row, col);
            m_grid.Select(row, col);
        }
        m_sheet.KeepEntryRow();
    }
    m_editor.Show();
}

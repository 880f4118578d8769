#include "staff/StaffCellEditor.h"

#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "staff/LengthLimiter.h"
#include "staff/StaffSheet.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QLineEdit>

namespace {
constexpr int FirstFieldCol = ClerkColumns::GridCol(0);
constexpr int LastFieldCol = ClerkColumns::GridCol(ClerkFieldCount - 1);
// A little higher than a 300-twip row, so that it covers the cell.
constexpr ControlDesign Editor{"txtInput", 0, 0, 900, 315};
} // namespace

StaffCellEditor::StaffCellEditor(QWidget *window, FlexGrid &grid, StaffSheet &sheet)
    : m_grid(grid), m_sheet(sheet), m_input(new QLineEdit(window))
{
    PlaceControl(m_input, Editor);
    m_limiter = new LengthLimiter(m_input);
    m_input->setValidator(m_limiter);
    m_input->hide();
    // Before the window hears of the change, so that the limit follows what was accepted.
    QObject::connect(m_input, &QLineEdit::textChanged, m_limiter, &LengthLimiter::textAccepted);
}

int StaffCellEditor::Limit() const
{
    return m_limiter->limit();
}

int StaffCellEditor::ColumnMaxLength(int col)
{
    const int field = ClerkColumns::FieldOfGridCol(col);
    return field >= 0 ? ClerkFields[size_t(field)].MaxLength : 0;
}

void StaffCellEditor::Follow()
{
    if (!m_quiet)
        Show();
}

void StaffCellEditor::Hide()
{
    m_sheet.EndTyping();
    const bool hadFocus = m_input->hasFocus();
    m_input->hide();
    if (hadFocus)
        m_grid.setFocus();
}

void StaffCellEditor::ShowNext()
{
    const int row = m_grid.Row();
    const int col = m_grid.Col();
    int nextRow = row;
    int nextCol = col + 1;
    if (col >= LastFieldCol) {
        if (row >= m_grid.Rows() - 1)
            return;
        nextRow = row + 1;
        nextCol = FirstFieldCol;
    }
    {
        const Quiet quiet(*this);
        m_grid.Select(nextRow, nextCol);
        m_grid.ShowCell(nextRow, nextCol);
    }
    Show();
}

void StaffCellEditor::Show()
{
    Hide();
    try {
        if (!Session().gblnEditInnerInfo)
            return;
        const int row = m_grid.Row();
        const int col = m_grid.Col();
        if (row < m_grid.FixedRows() || col == ClerkColumns::GridSerialCol)
            return;
        // Over the cell, but never over the scroll bars or outside the grid.
        QRect cell = m_grid.ShowCurrentCell().translated(m_grid.pos());
        cell.setHeight(TwipsToPixels(Editor.Height));
        const QRect editor =
            cell.intersected(m_grid.viewport()->geometry().translated(m_grid.pos()));
        if (editor.isEmpty())
            return;
        m_input->setGeometry(editor);
        // A screen reader cannot see which cell the editor lies over.
        m_input->setAccessibleName(GetLangText(QStringLiteral("0478"), QStringLiteral("%1, row %2"))
                                       .arg(m_grid.TextMatrix(0, col),
                                            m_grid.TextMatrix(row, ClerkColumns::GridSerialCol)));
        const QString text = m_grid.TextMatrix(row, col);
        // The limit is for typing: the stored text opens whole even when it is longer.
        m_limiter->reset(ColumnMaxLength(col), text.size());
        m_input->setText(text);
        m_input->show();
        m_input->raise();
        m_input->setFocus();
        m_input->setCursorPosition(int(text.size()));
    } catch (const std::exception &) {
        // Opening the editor is a convenience; failing to do so needs no report.
    }
}

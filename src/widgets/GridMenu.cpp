#include "widgets/GridMenu.h"

#include "common/CellBlock.h"
#include "widgets/FlexGrid.h"

#include <algorithm>
#include <functional>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

namespace {
const LangText CopyCellText{"0491", "Copy Cell"};
const LangText CopyRowsText{"0492", "Copy Rows"};
} // namespace

GridMenu::GridMenu(FlexGrid *grid, int serialCol)
    : QObject(grid), m_grid(grid), m_serialCol(serialCol), m_menu(new QMenu(grid))
{
    m_menu->setObjectName(QStringLiteral("mnuGrid"));
    connect(grid, &FlexGrid::MenuRequested, this, &GridMenu::Popup);
    grid->installEventFilter(this);
}

GridMenu::~GridMenu() = default;

QAction *GridMenu::AddEntry(const LangText &caption, const QList<QKeySequence> &keys, bool gridKeys,
                            std::function<void()> run)
{
    QAction *action = m_menu->addAction(GetLangText(caption));
    action->setShortcuts(keys);
    // Shown in the menu and taken there; elsewhere the grid or the window runs them.
    action->setShortcutContext(Qt::WidgetShortcut);
    // Closed first: an entry pressed through the accessibility bus leaves the menu open.
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
        m_menu->hide();
        run();
    });
    m_entries.push_back({action, caption, gridKeys});
    return action;
}

QAction *GridMenu::AddButtonEntry(QPushButton *button, const LangText &caption,
                                  const QKeySequence &key)
{
    QAction *action = AddEntry(caption, key.isEmpty() ? QList<QKeySequence>() : QList{key}, false,
                               [button] { button->click(); });
    m_buttons.emplace_back(action, button);
    return action;
}

void GridMenu::AddCopyEntries()
{
    m_copyCell = AddEntry(CopyCellText, {}, false, [this] { CopyCell(m_row, m_col); });
    AddEntry(CopyRowsText, {}, false, [this] { CopyRows(); });
}

void GridMenu::AddSeparator()
{
    m_menu->addSeparator();
}

void GridMenu::SetCaptions()
{
    for (const Entry &entry : m_entries)
        entry.Action->setText(GetLangText(entry.Caption));
    m_menu->setAccessibleName(m_grid->accessibleName());
}

void GridMenu::Popup(int row, int col, const QPoint &pos)
{
    m_row = row;
    m_col = col;
    for (const auto &[action, button] : m_buttons)
        action->setEnabled(button->isEnabled());
    if (m_copyCell)
        m_copyCell->setEnabled(row >= m_grid->FixedRows());
    if (m_update)
        m_update();
    m_menu->popup(pos);
}

void GridMenu::PopupAtCurrent()
{
    const QRect cell = m_grid->ShowCurrentCell();
    Popup(m_grid->Row(), m_grid->Col(), m_grid->mapToGlobal(cell.bottomLeft()));
}

bool GridMenu::RunKey(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        if (m_grid->SelectedRows().size() > 1)
            CopyRows();
        else
            CopyCell(m_grid->Row(), m_grid->Col());
        return true;
    }
    QAction *entry = EntryOf(event);
    if (!entry)
        return false;
    if (m_update)
        m_update();
    if (entry->isEnabled())
        entry->trigger();
    return true;
}

QAction *GridMenu::EntryOf(const QKeyEvent *event) const
{
    const QKeySequence pressed(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (const Entry &entry : m_entries) {
        if (entry.GridKeys && entry.Action->shortcuts().contains(pressed))
            return entry.Action;
    }
    return nullptr;
}

bool GridMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress &&
        RunKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

void GridMenu::CopyCell(int row, int col) const
{
    if (row < m_grid->FixedRows())
        return;
    const QModelIndex cell = m_grid->model()->index(row - 1, col);
    QGuiApplication::clipboard()->setText(cell.data(Qt::DisplayRole).toString());
}

void GridMenu::CopyRows() const
{
    std::vector<int> columns = m_grid->ColumnsAsShown();
    std::erase(columns, m_serialCol);
    CellRows block;
    QStringList &captions = block.emplace_back();
    for (const int col : columns)
        captions << m_grid->TextMatrix(0, col);
    const QAbstractItemModel *model = m_grid->model();
    for (const int row : m_grid->SelectedRows()) {
        QStringList values;
        for (const int col : columns)
            values << model->index(row - 1, col).data(Qt::DisplayRole).toString();
        // A blank row (the staff grid's new-entry row) says nothing.
        if (!std::all_of(values.cbegin(), values.cend(), std::mem_fn(&QString::isEmpty)))
            block.push_back(std::move(values));
    }
    if (block.size() < 2)
        return; // no row to copy
    auto *data = new QMimeData;
    data->setText(CellBlock::WriteTabText(block));
    data->setHtml(CellBlock::WriteHtml(block, 1));
    QGuiApplication::clipboard()->setMimeData(data);
}

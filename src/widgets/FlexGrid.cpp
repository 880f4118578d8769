#include "widgets/FlexGrid.h"

#include "db/Recordset.h"
#include "widgets/CurrentRowDelegate.h"
#include "widgets/FlexGridModel.h"
#include "widgets/KeyCodes.h"
#include "widgets/OleColor.h"
#include "widgets/Twips.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent), m_model(new FlexGridModel(this)), m_picked(this)
{
    setModel(m_model);
    setItemDelegate(new CurrentRowDelegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false); // Tab leaves the grid, as in any other control of the window
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);

    // Every row has the same fixed height: no per-row measuring, however many rows there are.
    const int rowHeight = TwipsToPixels(RowHeightTwips);
    QHeaderView *rows = verticalHeader();
    rows->setMinimumSectionSize(qMin(rows->minimumSectionSize(), rowHeight));
    rows->setDefaultSectionSize(rowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->hide();

    QHeaderView *columns = horizontalHeader();
    columns->setSectionsMovable(true);
    columns->setSectionsClickable(false); // a press on a header starts a column move only
    columns->setSectionResizeMode(QHeaderView::Interactive);
    connect(columns, &QHeaderView::sectionResized, this,
            [this](int col, int, int) { sectionResized(col); });
    connect(columns, &QHeaderView::sectionMoved, this,
            [this](int col, int, int newVisual) { Q_EMIT AfterMoveColumn(col, newVisual); });
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::Rows() const
{
    return m_model->rowCount() + 1;
}

int FlexGrid::Cols() const
{
    return m_model->columnCount();
}

void FlexGrid::setCols(int cols)
{
    m_model->setColumnCountTo(cols);
}

int FlexGrid::Row() const
{
    return gridRow(currentIndex());
}

void FlexGrid::setRow(int row)
{
    if (row == 0) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        return;
    }
    Select(row, currentIndex().isValid() ? currentIndex().column() : 0);
}

int FlexGrid::Col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return row == 0 ? m_model->headerText(col) : m_model->text(row - 1, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    if (row == 0)
        m_model->setHeaderText(col, text);
    else
        m_model->setText(row - 1, col, text);
}

QVariant FlexGrid::CellValue(int row, int col) const
{
    return m_model->value(row - 1, col);
}

void FlexGrid::setCellValue(int row, int col, const QVariant &value)
{
    m_model->setValue(row - 1, col, value);
}

void FlexGrid::setCellValues(const std::vector<GridCellValue> &cells)
{
    std::vector<GridCellValue> modelCells;
    modelCells.reserve(cells.size());
    for (const GridCellValue &cell : cells)
        modelCells.push_back({cell.Row - 1, cell.Column, cell.Value});
    m_model->setValues(modelCells);
}

void FlexGrid::NumberRows(int col)
{
    m_model->numberRows(col);
}

void FlexGrid::setFormatString(const QString &format)
{
    QStringList texts = format.split(QLatin1Char('|'));
    std::vector<int> alignments(size_t(texts.size()), 0);
    for (qsizetype c = 0; c < texts.size(); ++c) {
        QString &text = texts[c];
        if (text.startsWith(QLatin1Char('<')))
            alignments[size_t(c)] = 1;
        else if (text.startsWith(QLatin1Char('^')))
            alignments[size_t(c)] = 4;
        else if (text.startsWith(QLatin1Char('>')))
            alignments[size_t(c)] = 7;
        if (alignments[size_t(c)] != 0)
            text.remove(0, 1);
    }
    m_model->setHeaderTexts(texts);
    for (size_t c = 0; c < alignments.size(); ++c) {
        if (alignments[c] != 0)
            m_model->setAlignment(int(c), alignments[c]);
    }
}

int FlexGrid::ColWidth(int col) const
{
    return PixelsToTwips(columnWidth(col));
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= Cols())
        return;
    m_ownResize = true;
    horizontalHeader()->resizeSection(col, TwipsToPixels(qMax(0, twips)));
    m_ownResize = false;
}

bool FlexGrid::ColHidden(int col) const
{
    return isColumnHidden(col);
}

void FlexGrid::setColHidden(int col, bool hidden)
{
    if (col < 0 || col >= Cols())
        return;
    m_ownResize = true;
    // A fixed section offers no handle, so no drag or double-click can pull it back into view.
    horizontalHeader()->setSectionResizeMode(col, hidden ? QHeaderView::Fixed
                                                         : QHeaderView::Interactive);
    setColumnHidden(col, hidden);
    m_ownResize = false;
}

int FlexGrid::ColAlignment(int col) const
{
    return m_model->alignment(col);
}

void FlexGrid::setColAlignment(int col, int alignment)
{
    m_model->setAlignment(col, alignment);
}

int FlexGrid::FixedAlignment(int col) const
{
    return m_model->fixedAlignment(col < 0 ? 0 : col);
}

void FlexGrid::setFixedAlignment(int col, int alignment)
{
    if (col >= 0) {
        m_model->setFixedAlignment(col, alignment);
        return;
    }
    for (int c = 0; c < Cols(); ++c)
        m_model->setFixedAlignment(c, alignment);
}

QString FlexGrid::ColFormat(int col) const
{
    return m_model->format(col);
}

void FlexGrid::setColFormat(int col, const QString &format)
{
    m_model->setFormat(col, format);
}

void FlexGrid::setDataSource(std::shared_ptr<Recordset> records)
{
    m_ownResize = true;
    // Nobody else holds the set: its values move into the grid instead of being copied.
    m_model->load(records.get(), records.use_count() == 1);
    m_ownResize = false;
}

void FlexGrid::AddItem(const QString &text)
{
    m_model->appendRow(text.isEmpty() ? QStringList() : text.split(QLatin1Char('\t')));
}

void FlexGrid::RemoveItem(int row)
{
    if (row >= 1)
        m_model->removeDataRow(row - 1);
}

void FlexGrid::AddRecord(int row, const QVariantList &values)
{
    m_model->insertRecord(row - 1, values);
}

void FlexGrid::AddItems(const std::vector<QStringList> &rows)
{
    m_model->appendRows(rows);
}

void FlexGrid::RemoveItems(int row, int count)
{
    if (row >= 1)
        m_model->removeDataRows(row - 1, count);
}

std::vector<int> FlexGrid::ColumnsAsShown() const
{
    std::vector<int> columns;
    const QHeaderView *header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int col = header->logicalIndex(visual);
        if (!isColumnHidden(col))
            columns.push_back(col);
    }
    return columns;
}

std::vector<int> FlexGrid::SelectedRows() const
{
    std::vector<int> rows = m_picked.rows();
    for (int &row : rows)
        row += 1;
    return rows;
}

void FlexGrid::SelectAllRows()
{
    m_picked.selectAll();
}

void FlexGrid::ExtendRowsTo(int row)
{
    const QModelIndex target = modelIndex(row, Col());
    if (target.isValid())
        m_picked.extendTo(target);
}

QModelIndex FlexGrid::modelIndex(int row, int col) const
{
    return m_model->index(row - 1, col);
}

void FlexGrid::Select(int row, int col)
{
    const QModelIndex target = modelIndex(row, col);
    if (!target.isValid())
        return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == SelectRows)
        flags |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(target, flags);
}

void FlexGrid::ShowCell(int row, int col)
{
    if (col < 0 || col >= Cols() || isColumnHidden(col))
        return;
    if (row >= 1) {
        const QModelIndex target = modelIndex(row, col);
        if (target.isValid())
            scrollTo(target, EnsureVisible);
        return;
    }
    // The header row is always in view; only the column may need bringing in.
    const QHeaderView *header = horizontalHeader();
    const int left = header->sectionPosition(col);
    const int right = left + header->sectionSize(col);
    QScrollBar *bar = horizontalScrollBar();
    if (left < bar->value())
        bar->setValue(left);
    else if (right > bar->value() + viewport()->width())
        bar->setValue(qMin(left, right - viewport()->width()));
}

QRect FlexGrid::ShowCurrentCell()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || isColumnHidden(current.column()))
        return {};
    scrollTo(current, EnsureVisible);
    // visualRect leaves the grid line out; the cell as the user sees it ends on it.
    const int line = showGrid() ? 1 : 0;
    return visualRect(current).adjusted(0, 0, line, line).translated(viewport()->pos());
}

int FlexGrid::CellLeft()
{
    return PixelsToTwips(ShowCurrentCell().left());
}

int FlexGrid::CellTop()
{
    return PixelsToTwips(ShowCurrentCell().top());
}

int FlexGrid::CellWidth()
{
    return PixelsToTwips(ShowCurrentCell().width());
}

void FlexGrid::setPaletteColor(QPalette::ColorRole role, const QColor &color)
{
    QPalette changed = palette();
    changed.setColor(QPalette::Active, role, color);
    changed.setColor(QPalette::Inactive, role, color);
    setPalette(changed);
}

void FlexGrid::setForeColor(qint32 color)
{
    m_foreColor = color;
    setPaletteColor(QPalette::Text, OleColor::ToColor(color));
}

void FlexGrid::setForeColorFixed(qint32 color)
{
    m_foreColorFixed = color;
    m_model->setFixedForeground(OleColor::ToColor(color));
}

void FlexGrid::setBackColor(qint32 color)
{
    m_backColor = color;
    setPaletteColor(QPalette::Base, OleColor::ToColor(color));
}

void FlexGrid::setBackColorAlternate(qint32 color)
{
    m_backColorAlternate = color;
    setPaletteColor(QPalette::AlternateBase, OleColor::ToColor(color));
    setAlternatingRowColors(true);
}

qint32 FlexGrid::ForeColor() const
{
    return m_foreColor.value_or(OleColor::FromColor(palette().color(QPalette::Text)));
}

qint32 FlexGrid::ForeColorFixed() const
{
    return m_foreColorFixed.value_or(
        OleColor::FromColor(horizontalHeader()->palette().color(QPalette::ButtonText)));
}

qint32 FlexGrid::BackColor() const
{
    return m_backColor.value_or(OleColor::FromColor(palette().color(QPalette::Base)));
}

qint32 FlexGrid::BackColorAlternate() const
{
    return m_backColorAlternate.value_or(
        OleColor::FromColor(palette().color(QPalette::AlternateBase)));
}

void FlexGrid::keyboardSearch(const QString &) {}

void FlexGrid::setSelectionByRow(bool byRow)
{
    setSelectionBehavior(byRow ? SelectRows : SelectItems);
    const QModelIndex current = currentIndex();
    if (current.isValid())
        Select(gridRow(current), current.column());
}

bool FlexGrid::PickKey(const QKeyEvent *event, bool selectAll)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ShiftModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        const int row = Row() + (event->key() == Qt::Key_Up ? -1 : 1);
        if (row >= FixedRows())
            ExtendRowsTo(row);
        return true;
    }
    if (selectAll && event->matches(QKeySequence::SelectAll)) {
        SelectAllRows();
        return true;
    }
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        requestMenuAtCurrent();
        return true;
    }
    return false;
}

void FlexGrid::requestMenuAtCurrent()
{
    const QRect cell = ShowCurrentCell();
    const QPoint at = cell.isEmpty() ? QPoint(0, 0) : cell.bottomLeft();
    Q_EMIT MenuRequested(Row(), Col(), mapToGlobal(at));
}

void FlexGrid::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (event->reason() != QContextMenuEvent::Mouse) {
        requestMenuAtCurrent();
        return;
    }
    const QModelIndex cell = indexAt(event->pos());
    Q_EMIT MenuRequested(gridRow(cell), cell.isValid() ? cell.column() : 0, event->globalPos());
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    if (PickKey(event)) {
        event->accept();
        return;
    }
    const QPointer<FlexGrid> alive(this);
    if (const int code = KeyCodes::KeyCode(event))
        Q_EMIT KeyDown(code, KeyCodes::ShiftMask(event->modifiers()));
    if (!alive)
        return;
    switch (event->key()) {
    case Qt::Key_Delete:
        event->accept(); // deleting rows is the window's decision, taken on KeyDown
        return;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore(); // for the window's cancel and default buttons
        return;
    default:
        QTableView::keyPressEvent(event);
    }
}

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    // The context menu acts on what is picked: a right-click moves nothing.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    const QPointer<FlexGrid> alive(this);
    const QModelIndex index = indexAt(event->position().toPoint());
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton && index.isValid() &&
        (modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        if (modifiers & Qt::ShiftModifier)
            ExtendRowsTo(gridRow(index));
        else
            m_picked.toggle(index);
        if (!alive)
            return;
        m_pressExtended = true;
        Q_EMIT Click();
        return;
    }
    QTableView::mousePressEvent(event);
    if (alive && indexAt(event->position().toPoint()).isValid())
        Q_EMIT Click();
}

void FlexGrid::mouseMoveEvent(QMouseEvent *event)
{
    // A hand that shakes while Shift-clicking must not drag a cell selection over the rows.
    if (m_pressExtended) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressExtended) {
        m_pressExtended = false;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void FlexGrid::updateRow(int modelRow)
{
    if (modelRow < 0)
        return;
    viewport()->update(
        QRect(0, rowViewportPosition(modelRow), viewport()->width(), rowHeight(modelRow)));
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    m_picked.currentMoved(current);
    updateRow(previous.row());
    updateRow(current.row());
    const int oldRow = gridRow(previous);
    const int oldCol = previous.isValid() ? previous.column() : 0;
    const int newRow = gridRow(current);
    const int newCol = current.isValid() ? current.column() : 0;
    if (oldRow == newRow && oldCol == newCol)
        return;
    const QPointer<FlexGrid> alive(this);
    Q_EMIT AfterRowColChange(oldRow, oldCol, newRow, newCol);
    if (alive)
        Q_EMIT RowColChange();
}

int FlexGrid::topRow() const
{
    const int row = rowAt(0);
    return row < 0 ? FixedRows() : row + 1;
}

int FlexGrid::leftCol() const
{
    return qMax(0, columnAt(0));
}

void FlexGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx == 0 && dy == 0)
        return;
    const int oldTop = m_topRowBeforeScroll;
    const int oldLeft = m_leftColBeforeScroll;
    m_topRowBeforeScroll = topRow();
    m_leftColBeforeScroll = leftCol();
    Q_EMIT AfterScroll(oldTop, oldLeft, m_topRowBeforeScroll, m_leftColBeforeScroll);
}

void FlexGrid::sectionResized(int col)
{
    if (!m_ownResize && !isColumnHidden(col))
        Q_EMIT AfterUserResize(-1, col);
}

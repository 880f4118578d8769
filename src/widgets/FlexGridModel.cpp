#include "widgets/FlexGridModel.h"

#include "common/Convert.h"
#include "db/Recordset.h"

#include <QBrush>

FlexGridModel::FlexGridModel(QObject *parent) : QAbstractTableModel(parent) {}

FlexGridModel::~FlexGridModel()
{
    const bool large = m_rowCount > 10000;
    m_cells.clear();
    if (large)
        ReturnFreedMemory();
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rowCount);
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        // Views of this Qt read the alignment as an int; only "general" asks for the text.
        const int code = m_columns[size_t(index.column())].alignment;
        return int(alignmentFlags(code, code == 9 ? text(index.row(), index.column()) : QString()));
    }
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= columnCount())
        return {};
    const Column &column = m_columns[size_t(section)];
    switch (role) {
    case Qt::DisplayRole:
        return column.header;
    case Qt::TextAlignmentRole:
        return int(alignmentFlags(column.fixedAlignment, column.header));
    case Qt::ForegroundRole:
        return m_fixedFore.isValid() ? QVariant(QBrush(m_fixedFore)) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString FlexGridModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return m_cells[size_t(column)].text(row);
}

void FlexGridModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    m_cells[size_t(column)].setText(row, text);
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

QVariant FlexGridModel::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return m_cells[size_t(column)].value(row);
}

void FlexGridModel::setValue(int row, int column, const QVariant &value)
{
    if (!value.isNull()) {
        setText(row, column, DatabaseValueText(value)); // as a loaded cell shows it
        return;
    }
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    m_cells[size_t(column)].setNull(row);
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void FlexGridModel::setValues(const std::vector<GridCellValue> &cells)
{
    int top = rowCount(), bottom = -1, left = columnCount(), right = -1;
    for (const GridCellValue &cell : cells) {
        if (cell.Row < 0 || cell.Row >= rowCount() || cell.Column < 0 ||
            cell.Column >= columnCount())
            continue;
        FieldColumn &column = m_cells[size_t(cell.Column)];
        if (cell.Value.isNull())
            column.setNull(cell.Row);
        else
            column.setText(cell.Row, DatabaseValueText(cell.Value));
        top = qMin(top, cell.Row);
        bottom = qMax(bottom, cell.Row);
        left = qMin(left, cell.Column);
        right = qMax(right, cell.Column);
    }
    if (bottom >= 0)
        Q_EMIT dataChanged(index(top, left), index(bottom, right), {Qt::DisplayRole, Qt::EditRole});
}

void FlexGridModel::numberRows(int column)
{
    if (column < 0 || column >= columnCount() || m_rowCount == 0)
        return;
    m_cells[size_t(column)].numberRows();
    Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column),
                       {Qt::DisplayRole, Qt::EditRole});
}

QString FlexGridModel::headerText(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    return m_columns[size_t(column)].header;
}

void FlexGridModel::setHeaderText(int column, const QString &text)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[size_t(column)].header = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void FlexGridModel::setHeaderTexts(const QStringList &texts)
{
    setColumnCountTo(int(texts.size()));
    for (int c = 0; c < texts.size(); ++c)
        m_columns[size_t(c)].header = texts.at(c);
    if (!texts.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(texts.size()) - 1);
}

void FlexGridModel::resizeColumns(int columns)
{
    m_columns.resize(size_t(columns));
    m_cells.resize(size_t(columns));
    for (FieldColumn &cells : m_cells) {
        while (cells.size() < m_rowCount)
            cells.appendText(QString());
    }
}

void FlexGridModel::setColumnCountTo(int columns)
{
    columns = qMax(0, columns);
    const int old = columnCount();
    if (columns > old) {
        beginInsertColumns(QModelIndex(), old, columns - 1);
        resizeColumns(columns);
        endInsertColumns();
    } else if (columns < old) {
        beginRemoveColumns(QModelIndex(), columns, old - 1);
        resizeColumns(columns);
        endRemoveColumns();
    }
}

void FlexGridModel::appendRow(const QStringList &cells)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    for (int c = 0; c < columnCount(); ++c)
        m_cells[size_t(c)].appendText(cells.value(c));
    ++m_rowCount;
    endInsertRows();
}

void FlexGridModel::appendRows(const std::vector<QStringList> &rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (int c = 0; c < columnCount(); ++c) {
        FieldColumn &column = m_cells[size_t(c)];
        for (const QStringList &cells : rows)
            column.appendText(cells.value(c));
    }
    m_rowCount += qsizetype(rows.size());
    endInsertRows();
}

void FlexGridModel::removeDataRows(int row, int count)
{
    count = qMin(count, rowCount() - row);
    if (row < 0 || count <= 0)
        return;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (FieldColumn &cells : m_cells) {
        if (row + count == m_rowCount) {
            cells.truncate(row);
            continue;
        }
        for (int i = 0; i < count; ++i)
            cells.remove(row);
    }
    m_rowCount -= count;
    endRemoveRows();
}

void FlexGridModel::insertRecord(int row, const QVariantList &values)
{
    row = qBound(0, row, rowCount());
    beginInsertRows(QModelIndex(), row, row);
    for (int c = 0; c < columnCount(); ++c)
        m_cells[size_t(c)].insert(row, values.value(c));
    ++m_rowCount;
    endInsertRows();
}

void FlexGridModel::removeDataRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    for (FieldColumn &cells : m_cells)
        cells.remove(row);
    --m_rowCount;
    endRemoveRows();
}

void FlexGridModel::load(Recordset *records, bool takeOver)
{
    beginResetModel();
    m_cells.assign(m_columns.size(), FieldColumn());
    m_rowCount = 0;
    if (records) {
        const int columns = records->ColumnCount();
        m_columns.resize(size_t(columns));
        for (int c = 0; c < columns; ++c)
            m_columns[size_t(c)].header = records->ColumnNames().at(c);
        m_rowCount = records->RecordCount();
        if (takeOver)
            m_cells = records->takeColumns();
        else
            m_cells = records->columns();
    }
    endResetModel();
}

int FlexGridModel::alignment(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[size_t(column)].alignment : 1;
}

void FlexGridModel::setAlignment(int column, int code)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[size_t(column)].alignment = code;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column),
                           {Qt::TextAlignmentRole});
}

int FlexGridModel::fixedAlignment(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[size_t(column)].fixedAlignment : 4;
}

void FlexGridModel::setFixedAlignment(int column, int code)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[size_t(column)].fixedAlignment = code;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QString FlexGridModel::format(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[size_t(column)].format : QString();
}

void FlexGridModel::setFormat(int column, const QString &pattern)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[size_t(column)].format = pattern;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

void FlexGridModel::setFixedForeground(const QColor &color)
{
    m_fixedFore = color;
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QString FlexGridModel::displayText(int row, int column) const
{
    const QString text = this->text(row, column);
    const QString &pattern = m_columns[size_t(column)].format;
    if (pattern.isEmpty() || text.isEmpty())
        return text;
    std::optional<QDateTime> date = ParseDateText(text);
    if (!date) {
        // SQLite hands back what Qt wrote, ISO with a "T" and milliseconds.
        const QDateTime iso = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
        if (iso.isValid())
            date = iso;
    }
    return date ? date->toString(pattern) : text;
}

Qt::Alignment FlexGridModel::alignmentFlags(int code, const QString &text)
{
    if (code == 9) // general: numbers to the right, anything else to the left
        return (IsNumericText(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    if (code < 0 || code > 8)
        code = 1;
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                       Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter,
                                                     Qt::AlignBottom};
    return horizontal[code / 3] | vertical[code % 3];
}

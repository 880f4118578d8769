#pragma once

#include "db/FieldColumn.h"

#include <QStringList>
#include <QVariant>
#include <vector>

// The rows of one query, read out of the database so that they outlive the connection, held
// column by column (FieldColumn). A database null is a null QVariant, distinct from empty text.
// (The original's EOF property is Eof() here: EOF is a macro of the C library.)
class Recordset
{
public:
    Recordset() = default;
    explicit Recordset(const QStringList &columns);
    // Rows given value by value, row after row.
    Recordset(const QStringList &columns, const std::vector<QVariant> &values);

    const QStringList &ColumnNames() const { return m_names; }
    int ColumnCount() const { return int(m_names.size()); }
    qsizetype RecordCount() const { return m_columns.empty() ? 0 : m_columns.front().size(); }

    void MoveFirst() { m_current = 0; }
    void MoveNext();
    bool Eof() const { return m_current >= RecordCount(); }

    // Field of the current record by column name, ignoring letter case; throws ArdentaError when
    // there is no current record or no such column.
    QVariant Fields(const QString &name) const;
    // Column index by name, ignoring letter case; -1 when missing.
    int FieldIndex(const QString &name) const;
    // Direct access by record and column, for grids and reports.
    QVariant value(qsizetype record, int column) const
    {
        return m_columns[size_t(column)].value(record);
    }
    QString text(qsizetype record, int column) const
    {
        return m_columns[size_t(column)].text(record);
    }

    // Appends one record while the set is being filled; values.size() must equal ColumnCount().
    void appendRecord(const QVariantList &values);
    FieldColumn &column(int index) { return m_columns[size_t(index)]; }
    const std::vector<FieldColumn> &columns() const { return m_columns; }
    // Gives the values up to a grid that takes them over; the set is empty afterwards.
    std::vector<FieldColumn> takeColumns();

private:
    QStringList m_names;
    std::vector<FieldColumn> m_columns;
    qsizetype m_current = 0;
};

// Hands memory the program freed back to the system, after a large set is gone; the C library
// would otherwise keep it for the next allocations.
void ReturnFreedMemory();

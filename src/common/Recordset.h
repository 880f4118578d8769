#pragma once

#include <QStringList>
#include <QVariant>
#include <vector>

// The rows of one query, copied out of the database so that they outlive the connection.
// Field values are QVariants; a database null is a null QVariant, distinct from empty text.
// (The original's EOF property is Eof() here: EOF is a macro of the C library.)
class Recordset
{
public:
    Recordset() = default;
    Recordset(QStringList columns, std::vector<QVariant> values);

    const QStringList &ColumnNames() const { return m_columns; }
    int ColumnCount() const { return int(m_columns.size()); }
    qsizetype RecordCount() const;

    void MoveFirst() { m_current = 0; }
    void MoveNext();
    bool Eof() const { return m_current >= RecordCount(); }
    qsizetype AbsolutePosition() const { return m_current; }

    // Field of the current record by column name, ignoring letter case; throws ArdentaError when
    // there is no current record or no such column.
    QVariant Fields(const QString &name) const;
    // Column index by name, ignoring letter case; -1 when missing.
    int FieldIndex(const QString &name) const;
    // Direct access by record and column, for copying into grids and reports.
    const QVariant &value(qsizetype record, int column) const
    {
        return m_values[size_t(record) * size_t(m_columns.size()) + size_t(column)];
    }

    // Appends one record while the set is being filled; values.size() must equal ColumnCount().
    void appendRecord(const QVariantList &values);

private:
    QStringList m_columns;
    std::vector<QVariant> m_values; // row-major
    qsizetype m_current = 0;
};

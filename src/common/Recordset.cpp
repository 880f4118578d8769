#include "Recordset.h"

#include "ArdentaError.h"

Recordset::Recordset(QStringList columns, std::vector<QVariant> values)
    : m_columns(std::move(columns)), m_values(std::move(values))
{
}

qsizetype Recordset::RecordCount() const
{
    return m_columns.isEmpty() ? 0 : qsizetype(m_values.size()) / m_columns.size();
}

void Recordset::MoveNext()
{
    if (Eof())
        throw ArdentaError(QStringLiteral("Either BOF or EOF is True, or the current record has "
                                          "been deleted."));
    ++m_current;
}

int Recordset::FieldIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Recordset::Fields(const QString &name) const
{
    const int column = FieldIndex(name);
    if (column < 0)
        throw ArdentaError(QStringLiteral("Item cannot be found in the collection corresponding "
                                          "to the requested name or ordinal: ") +
                           name);
    if (Eof())
        throw ArdentaError(QStringLiteral("Either BOF or EOF is True, or the current record has "
                                          "been deleted."));
    return value(m_current, column);
}

void Recordset::appendRecord(const QVariantList &values)
{
    Q_ASSERT(values.size() == m_columns.size());
    m_values.insert(m_values.end(), values.cbegin(), values.cend());
}

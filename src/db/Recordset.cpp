#include "db/Recordset.h"

#include "common/ArdentaError.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
const QString NoRecord = QStringLiteral("Either BOF or EOF is True, or the current record has "
                                        "been deleted.");
}

Recordset::Recordset(const QStringList &columns)
    : m_names(columns), m_columns(size_t(columns.size()))
{
}

Recordset::Recordset(const QStringList &columns, const std::vector<QVariant> &values)
    : Recordset(columns)
{
    for (size_t i = 0; !m_columns.empty() && i < values.size(); ++i)
        m_columns[i % m_columns.size()].append(values[i]);
}

void Recordset::MoveNext()
{
    if (Eof())
        throw ArdentaError(NoRecord);
    ++m_current;
}

int Recordset::FieldIndex(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
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
        throw ArdentaError(NoRecord);
    return value(m_current, column);
}

void Recordset::appendRecord(const QVariantList &values)
{
    Q_ASSERT(values.size() == ColumnCount());
    for (int i = 0; i < ColumnCount(); ++i)
        m_columns[size_t(i)].append(values.at(i));
}

std::vector<FieldColumn> Recordset::takeColumns()
{
    std::vector<FieldColumn> taken = std::move(m_columns);
    m_columns.assign(taken.size(), FieldColumn());
    m_current = 0;
    return taken;
}

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

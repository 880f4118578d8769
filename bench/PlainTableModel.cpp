#include "PlainTableModel.h"

#include <QSqlQuery>
#include <QSqlRecord>

void PlainTableModel::load(QSqlQuery &query)
{
    beginResetModel();
    const QSqlRecord record = query.record();
    m_names.clear();
    for (int i = 0; i < record.count(); ++i)
        m_names << record.fieldName(i);
    m_values.clear();
    while (query.next()) {
        for (int i = 0; i < record.count(); ++i)
            m_values.push_back(query.value(i));
    }
    endResetModel();
}

int PlainTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_names.isEmpty() ? 0
                                                 : int(m_values.size() / size_t(m_names.size()));
}

int PlainTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant PlainTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_values[size_t(index.row()) * size_t(m_names.size()) + size_t(index.column())]
        .toString();
}

QVariant PlainTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? QVariant(m_names.value(section)) : QVariant(section + 1);
}

#pragma once
// The least a table view needs, for the bare baselines of the on-screen scenarios: the rows of a
// forward-only query kept as variants, shown as their text.

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class QSqlQuery;

class PlainTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Reads every row of an executed, forward-only query.
    void load(QSqlQuery &query);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_names;
    std::vector<QVariant> m_values; // row after row
};

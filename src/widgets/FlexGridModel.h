#pragma once
// The text behind a FlexGrid: the header texts, the cells column by column (typed as the
// database gave them, read as text), and the per-column display settings. Model row r is grid
// row r + 1.

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include "db/FieldColumn.h"
#include <vector>

class Recordset;

// A cell and what to write into it: a text, or a null variant for a null cell.
struct GridCellValue
{
    int Row; // model row
    int Column;
    QVariant Value;
};

class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit FlexGridModel(QObject *parent = nullptr);
    ~FlexGridModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Cell texts by model row; out-of-range reads give "" and writes are dropped.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    // The cell's value as the database gave it (a null variant for a null); a written cell gives
    // its text. Writing a null variant makes the cell null, anything else its text.
    QVariant value(int row, int column) const;
    void setValue(int row, int column, const QVariant &value);
    // Many cells at once, with one change notification for the rows and columns they span.
    void setValues(const std::vector<GridCellValue> &cells);
    // Writes every data row's grid row number (1, 2, 3, ...) into the column, with one change
    // notification for the whole column.
    void numberRows(int column);
    QString headerText(int column) const;
    void setHeaderText(int column, const QString &text);
    // Sets the column count to texts.size() and every header text.
    void setHeaderTexts(const QStringList &texts);

    void setColumnCountTo(int columns);
    void appendRow(const QStringList &cells);
    // Rows at the end, each a list of cells by column, with one notification for all of them.
    void appendRows(const std::vector<QStringList> &rows);
    void removeDataRow(int row);
    // A record put in before the model row, its values as the database gave them, by column.
    void insertRecord(int row, const QVariantList &values);
    // count rows from row on, with one notification; rows at the end go without moving others.
    void removeDataRows(int row, int count);

    // Replaces every row with the record set's, its column names becoming the header (null: keeps
    // the header, no rows). takeOver moves the values out of the set instead of sharing them.
    void load(Recordset *records, bool takeOver);

    int alignment(int column) const;
    void setAlignment(int column, int code);
    int fixedAlignment(int column) const;
    void setFixedAlignment(int column, int code);
    QString format(int column) const;
    void setFormat(int column, const QString &pattern);

    void setFixedForeground(const QColor &color);

    // Qt alignment flags of an alignment code (0..8: left/centre/right x top/centre/bottom).
    static Qt::Alignment alignmentFlags(int code, const QString &text);

private:
    struct Column
    {
        QString header;
        int alignment = 1;      // left, vertically centred
        int fixedAlignment = 4; // centred both ways
        QString format;
    };
    QString displayText(int row, int column) const;
    void resizeColumns(int columns);

    std::vector<Column> m_columns;
    std::vector<FieldColumn> m_cells; // one per column, each m_rowCount long
    qsizetype m_rowCount = 0;
    QColor m_fixedFore;
};

#pragma once
// The values of one column of rows, held by their kind so that a million rows cost megabytes, not
// hundreds of them: typed values in a FieldValues, texts in a FieldTexts, nulls apart.
//
// Values read back as the QVariants they came as; text() is DatabaseValueText of the value.
// A column of one kind that meets a value of another holds variants from then on; a plain text
// turns a column of nothing yet, or of moments as texts, into texts. A grid writes texts into
// cells: the column then holds texts from that row on.

#include "db/FieldTexts.h"
#include "db/FieldValues.h"

#include <QVariant>
#include <vector>

class FieldColumn
{
public:
    qsizetype size() const { return qsizetype(m_nulls.size()); }
    void append(const QVariant &value);
    QVariant value(qsizetype row) const;
    QString text(qsizetype row) const;
    bool isNull(qsizetype row) const { return m_nulls[size_t(row)]; }

    // For grids. Writing a text turns the column into one of texts (a null cell becomes that
    // text). numberRows makes every cell read its row number (1, 2, 3 ...) without holding it.
    void setText(qsizetype row, const QString &text);
    // Makes the cell null, as the database gave it: it reads as "" and as a null value.
    void setNull(qsizetype row);
    void appendText(const QString &text);
    void remove(qsizetype row);
    // A value as the database gave it, put in before the row (a column of row numbers stays one).
    void insert(qsizetype row, const QVariant &value);
    // Keeps the first rows only; the stores stay as they are, so that dropping rows added at the
    // end costs nothing per row kept.
    void truncate(qsizetype rows);
    void numberRows();

private:
    enum class Holds { Values, Texts, RowNumbers };

    void toTexts();
    void toVariants();

    Holds m_holds = Holds::Values;
    std::vector<bool> m_nulls;
    FieldValues m_values;
    FieldTexts m_texts;
};

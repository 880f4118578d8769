#pragma once
// The values of one column of rows, held by their kind so that a million rows cost megabytes, not
// hundreds of them: whole and real numbers, moments and dates as plain numbers; texts in a
// dictionary while the column repeats few of them, one QString each when it does not; anything
// else as QVariants; nulls apart. A text of the general date form, as SQLite returns moments, is
// held as a moment and given back as that same text.
//
// Values read back as the QVariants they came as; text() is DatabaseValueText of the value.
// A grid writes texts into cells: the column then holds texts from that row on.

#include <QHash>
#include <QVariant>
#include <vector>

class FieldColumn
{
public:
    qsizetype size() const { return m_size; }
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
    // Keeps the first rows only; the stores stay as they are, so that dropping rows added at the
    // end costs nothing per row kept.
    void truncate(qsizetype rows);
    void numberRows();

private:
    enum class Kind { Unset, Integer, Real, Moment, MomentText, Date, Text, Variant, RowNumber };
    static constexpr int DictionaryLimit = 4096;

    Kind kindOf(const QVariant &value, qint64 *number) const;
    void become(Kind kind, int type);
    void clearStores();
    void toVariants();
    void toTexts();
    void toStrings();
    void appendTextValue(const QString &text);
    QString storedText(qsizetype row) const;
    qint64 &numberAt(qsizetype row) { return m_numbers[size_t(row)]; }

    Kind m_kind = Kind::Unset;
    int m_type = 0; // the QMetaType the values came as
    Qt::TimeSpec m_zone = Qt::LocalTime;
    qsizetype m_size = 0;
    std::vector<bool> m_nulls;
    std::vector<qint64> m_numbers;    // Integer, Moment, MomentText (ms), Date (day)
    std::vector<double> m_reals;      // Real
    std::vector<QVariant> m_variants; // Variant
    // Texts, in one of three stores: a dictionary while the column repeats few of them; packed
    // one after another in one buffer as read from the database (a text is made when asked
    // for); one QString each once cells are written.
    enum class Store { Dictionary, Packed, Strings };
    Store m_store = Store::Dictionary;
    std::vector<quint32> m_codes;
    std::vector<QString> m_dictionary;
    QHash<QString, quint32> m_lookup;
    // Packed texts lie in blocks of fixed size, none crossing from one block to the next, so that
    // growing never moves them; m_ends[i] is where text i ends, counted over all blocks.
    static constexpr quint32 BlockChars = 32768;
    std::vector<std::vector<char16_t>> m_blocks;
    std::vector<quint64> m_ends;
    quint64 m_packedEnd = 0;
    std::vector<QString> m_texts;
};

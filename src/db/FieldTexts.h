#pragma once
// The texts of one column, in one of three stores: a dictionary while the column repeats few of
// them; packed one after another in blocks as read from the database (a QString is made only
// when a text is asked for); one QString each once cells are written, or once a text is longer
// than a block. A store only ever moves down that list, until clear().

#include <QHash>
#include <QString>
#include <vector>

class FieldTexts
{
public:
    enum class Store { Dictionary, Packed, Strings };
    static constexpr int DictionaryLimit = 4096;
    static constexpr quint32 BlockChars = 32768;

    qsizetype size() const;
    Store store() const { return m_store; }
    QString at(qsizetype row) const;
    void append(const QString &text);
    // A text the dictionary holds, or has room for, keeps it; any other makes one QString each.
    void set(qsizetype row, const QString &text);
    void remove(qsizetype row);
    // Keeps the first rows, in the store they are in.
    void truncate(qsizetype rows);
    // The last text goes to the row, the rows from there on one down (packed texts become one
    // QString each).
    void moveLastTo(qsizetype row);
    // Empty, and a dictionary again.
    void clear();

private:
    bool appendToDictionary(const QString &text);
    void appendPacked(const QString &text);
    void toStrings();

    Store m_store = Store::Dictionary;
    std::vector<quint32> m_codes;
    std::vector<QString> m_dictionary;
    QHash<QString, quint32> m_lookup;
    // Packed texts lie in blocks of fixed size, none crossing from one block to the next, so that
    // growing never moves them; m_ends[i] is where text i ends, counted over all blocks.
    std::vector<std::vector<char16_t>> m_blocks;
    std::vector<quint64> m_ends;
    quint64 m_packedEnd = 0;
    std::vector<QString> m_strings;
};

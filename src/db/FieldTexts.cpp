#include "db/FieldTexts.h"

#include <algorithm>

qsizetype FieldTexts::size() const
{
    switch (m_store) {
    case Store::Dictionary:
        return qsizetype(m_codes.size());
    case Store::Packed:
        return qsizetype(m_ends.size());
    case Store::Strings:
        break;
    }
    return qsizetype(m_strings.size());
}

QString FieldTexts::at(qsizetype row) const
{
    switch (m_store) {
    case Store::Dictionary:
        return m_dictionary[m_codes[size_t(row)]];
    case Store::Packed: {
        const quint64 end = m_ends[size_t(row)];
        quint64 start = row == 0 ? 0 : m_ends[size_t(row) - 1];
        if (end == start)
            return QString(QLatin1String(""));
        // A text that did not fit the rest of its block starts the next one.
        if ((start / BlockChars) != ((end - 1) / BlockChars))
            start = (end - 1) / BlockChars * BlockChars;
        const char16_t *block = m_blocks[size_t(start / BlockChars)].data();
        return QString(reinterpret_cast<const QChar *>(block + start % BlockChars),
                       qsizetype(end - start));
    }
    case Store::Strings:
        break;
    }
    return m_strings[size_t(row)];
}

void FieldTexts::append(const QString &text)
{
    if (m_store == Store::Dictionary && appendToDictionary(text))
        return;
    if (m_store == Store::Packed && quint64(text.size()) > BlockChars)
        toStrings(); // longer than a block: such a column keeps one QString per text
    if (m_store == Store::Packed)
        appendPacked(text);
    else
        m_strings.push_back(text);
}

// False once the dictionary has given up: the column has moved to another store.
bool FieldTexts::appendToDictionary(const QString &text)
{
    if (const auto found = m_lookup.constFind(text); found != m_lookup.cend()) {
        m_codes.push_back(*found);
        return true;
    }
    // A column of mostly different texts is seen early: it shares nothing.
    const bool mostlyDifferent = m_codes.size() == 256 && m_dictionary.size() > 192;
    if (!mostlyDifferent && m_dictionary.size() < DictionaryLimit) {
        const auto code = quint32(m_dictionary.size());
        m_dictionary.push_back(text);
        m_lookup.insert(text, code);
        m_codes.push_back(code);
        return true;
    }
    // Too many different texts to share: packed one after another from here on, unless one is
    // longer than a block.
    const std::vector<quint32> codes = std::move(m_codes);
    const std::vector<QString> dictionary = std::move(m_dictionary);
    clear();
    const bool longText = std::any_of(dictionary.cbegin(), dictionary.cend(),
                                      [](const QString &t) { return t.size() > BlockChars; });
    m_store = longText ? Store::Strings : Store::Packed;
    for (const quint32 code : codes)
        append(dictionary[code]);
    return false;
}

void FieldTexts::appendPacked(const QString &text)
{
    const auto length = quint64(text.size());
    quint64 start = m_packedEnd;
    if (length > 0 && (start + length - 1) / BlockChars != start / BlockChars)
        start = (start / BlockChars + 1) * BlockChars; // the next block
    while (m_blocks.size() * BlockChars < start + length)
        m_blocks.emplace_back(BlockChars);
    std::copy_n(reinterpret_cast<const char16_t *>(text.constData()), length,
                m_blocks[size_t(start / BlockChars)].data() + start % BlockChars);
    m_packedEnd = start + length;
    m_ends.push_back(m_packedEnd);
}

void FieldTexts::set(qsizetype row, const QString &text)
{
    if (m_store == Store::Dictionary) {
        if (const auto found = m_lookup.constFind(text); found != m_lookup.cend()) {
            m_codes[size_t(row)] = *found;
            return;
        }
        if (m_dictionary.size() < DictionaryLimit) {
            m_codes[size_t(row)] = quint32(m_dictionary.size());
            m_lookup.insert(text, quint32(m_dictionary.size()));
            m_dictionary.push_back(text);
            return;
        }
    }
    if (m_store != Store::Strings)
        toStrings();
    m_strings[size_t(row)] = text;
}

void FieldTexts::remove(qsizetype row)
{
    if (m_store == Store::Packed)
        toStrings();
    if (m_store == Store::Dictionary)
        m_codes.erase(m_codes.begin() + row);
    else
        m_strings.erase(m_strings.begin() + row);
}

void FieldTexts::truncate(qsizetype rows)
{
    switch (m_store) {
    case Store::Dictionary:
        m_codes.resize(size_t(rows));
        break;
    case Store::Packed:
        m_ends.resize(size_t(rows));
        m_packedEnd = m_ends.empty() ? 0 : m_ends.back();
        m_blocks.resize(size_t((m_packedEnd + BlockChars - 1) / BlockChars));
        break;
    case Store::Strings:
        m_strings.resize(size_t(rows));
        break;
    }
}

void FieldTexts::moveLastTo(qsizetype row)
{
    if (row >= size() - 1)
        return;
    if (m_store == Store::Packed)
        toStrings();
    if (m_store == Store::Dictionary)
        std::rotate(m_codes.begin() + row, m_codes.end() - 1, m_codes.end());
    else
        std::rotate(m_strings.begin() + row, m_strings.end() - 1, m_strings.end());
}

void FieldTexts::clear()
{
    m_store = Store::Dictionary;
    m_codes = {};
    m_dictionary = {};
    m_lookup = {};
    m_blocks = {};
    m_ends = {};
    m_packedEnd = 0;
    m_strings = {};
}

// One QString each: the store that cells are written into.
void FieldTexts::toStrings()
{
    std::vector<QString> strings;
    strings.reserve(size_t(size()));
    for (qsizetype row = 0; row < size(); ++row)
        strings.push_back(at(row));
    clear();
    m_strings = std::move(strings);
    m_store = Store::Strings;
}

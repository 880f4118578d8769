#include "db/FieldColumn.h"

#include "common/Convert.h"

#include <algorithm>
#include <QDateTime>

namespace {

constexpr qint64 MsPerDay = 86400000;

qint64 momentNumber(const QDate &date, const QTime &time)
{
    return date.toJulianDay() * MsPerDay + time.msecsSinceStartOfDay();
}

QDate dayOf(qint64 number)
{
    return QDate::fromJulianDay(number / MsPerDay);
}

QTime timeOf(qint64 number)
{
    return QTime::fromMSecsSinceStartOfDay(int(number % MsPerDay));
}

int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// A text of exactly the general date form, yyyy-MM-dd HH:mm:ss, as a moment.
bool parseGeneralDate(QStringView text, qint64 *number)
{
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':' || text[16] != u':')
        return false;
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
    if (!date.isValid() || !time.isValid())
        return false;
    *number = momentNumber(date, time);
    return true;
}

void putDigits(QChar *out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        out[i] = QChar(u'0' + value % 10);
}

// The general date form, or the short one, written without a format parser.
QString dateText(qint64 number, bool withTime)
{
    const QDate date = dayOf(number);
    if (date.year() < 1000 || date.year() > 9999) // outside the fixed-width forms
        return withTime ? GeneralDateText(QDateTime(date, timeOf(number), Qt::UTC))
                        : ShortDateText(date);
    QString text(withTime ? 19 : 10, u'-');
    QChar *out = text.data();
    putDigits(out, date.year(), 4);
    putDigits(out + 5, date.month(), 2);
    putDigits(out + 8, date.day(), 2);
    if (withTime) {
        const int seconds = int(number % MsPerDay / 1000);
        out[10] = u' ';
        putDigits(out + 11, seconds / 3600, 2);
        out[13] = u':';
        putDigits(out + 14, seconds / 60 % 60, 2);
        out[16] = u':';
        putDigits(out + 17, seconds % 60, 2);
    }
    return text;
}

} // namespace

FieldColumn::Kind FieldColumn::kindOf(const QVariant &value, qint64 *number) const
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        *number = value.toLongLong();
        return Kind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Real;
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        const Qt::TimeSpec zone = moment.timeSpec();
        if (zone != Qt::LocalTime && zone != Qt::UTC)
            return Kind::Variant;
        if (m_kind == Kind::Moment && zone != m_zone)
            return Kind::Variant;
        *number = momentNumber(moment.date(), moment.time());
        return Kind::Moment;
    }
    case QMetaType::QDate:
        *number = value.toDate().toJulianDay();
        return Kind::Date;
    case QMetaType::QString:
        return parseGeneralDate(value.toString(), number) ? Kind::MomentText : Kind::Text;
    default:
        return Kind::Variant;
    }
}

void FieldColumn::become(Kind kind, int type)
{
    m_kind = kind;
    m_type = type;
    switch (kind) {
    case Kind::Integer:
    case Kind::Moment:
    case Kind::MomentText:
    case Kind::Date:
        m_numbers.resize(size_t(m_size));
        break;
    case Kind::Real:
        m_reals.resize(size_t(m_size));
        break;
    case Kind::Variant:
        m_variants.resize(size_t(m_size));
        break;
    case Kind::Text:
        for (qsizetype i = 0; i < m_size; ++i)
            appendTextValue(QString());
        break;
    case Kind::Unset:
    case Kind::RowNumber:
        break;
    }
}

void FieldColumn::append(const QVariant &value)
{
    // Most values of a query are texts of a text column: no kind to decide.
    if (m_kind == Kind::Text && value.typeId() == QMetaType::QString) {
        ++m_size;
        m_nulls.push_back(false);
        appendTextValue(*static_cast<const QString *>(value.constData()));
        return;
    }
    ++m_size;
    const bool null = value.isNull();
    m_nulls.push_back(null);
    qint64 number = 0;
    Kind kind = null ? m_kind : kindOf(value, &number);
    if (m_kind == Kind::Unset && kind != Kind::Unset) {
        --m_size; // the rows so far are all null
        become(kind, value.typeId());
        ++m_size;
        if (kind == Kind::Moment)
            m_zone = value.toDateTime().timeSpec();
    } else if (kind == Kind::MomentText && m_kind == Kind::Text) {
        kind = Kind::Text; // a text column that holds a date-like text as well
    } else if (kind != m_kind || (!null && value.typeId() != m_type)) {
        --m_size;
        if (m_kind == Kind::MomentText && kind == Kind::Text)
            toTexts();
        else
            toVariants();
        ++m_size;
        kind = m_kind;
    }
    switch (m_kind) {
    case Kind::Unset:
        break;
    case Kind::Integer:
    case Kind::Moment:
    case Kind::MomentText:
    case Kind::Date:
        m_numbers.push_back(number);
        break;
    case Kind::Real:
        m_reals.push_back(null ? 0.0 : value.toDouble());
        break;
    case Kind::Text:
        appendTextValue(null ? QString() : value.toString());
        break;
    case Kind::Variant:
        m_variants.push_back(value);
        break;
    case Kind::RowNumber:
        break;
    }
}

QVariant FieldColumn::value(qsizetype row) const
{
    if (m_nulls[size_t(row)])
        return {};
    switch (m_kind) {
    case Kind::Integer:
        if (m_type == QMetaType::Int)
            return int(m_numbers[size_t(row)]);
        if (m_type == QMetaType::LongLong)
            return qlonglong(m_numbers[size_t(row)]);
        {
            QVariant value{qlonglong(m_numbers[size_t(row)])};
            value.convert(QMetaType(m_type));
            return value;
        }
    case Kind::Real:
        return m_type == QMetaType::Float ? QVariant(float(m_reals[size_t(row)]))
                                          : QVariant(m_reals[size_t(row)]);
    case Kind::Moment:
        return QDateTime(dayOf(m_numbers[size_t(row)]), timeOf(m_numbers[size_t(row)]), m_zone);
    case Kind::Date:
        return QDate::fromJulianDay(m_numbers[size_t(row)]);
    case Kind::Variant:
        return m_variants[size_t(row)];
    case Kind::MomentText:
    case Kind::Text:
    case Kind::RowNumber:
    case Kind::Unset:
        return text(row);
    }
    return {};
}

QString FieldColumn::text(qsizetype row) const
{
    if (m_kind == Kind::RowNumber)
        return QString::number(row + 1);
    if (m_nulls[size_t(row)])
        return {};
    switch (m_kind) {
    case Kind::Integer:
        return QString::number(m_numbers[size_t(row)]);
    case Kind::Real:
        return DatabaseValueText(m_reals[size_t(row)]);
    case Kind::Moment:
    case Kind::MomentText:
        return dateText(m_numbers[size_t(row)], true);
    case Kind::Date:
        return dateText(m_numbers[size_t(row)] * MsPerDay, false);
    case Kind::Text:
        return storedText(row);
    case Kind::Variant:
        return DatabaseValueText(m_variants[size_t(row)]);
    case Kind::Unset:
    case Kind::RowNumber:
        break;
    }
    return {};
}

QString FieldColumn::storedText(qsizetype row) const
{
    switch (m_store) {
    case Store::Dictionary:
        return m_dictionary[m_codes[size_t(row)]];
    case Store::Packed: {
        const quint64 end = m_ends[size_t(row)];
        quint64 start = row == 0 ? 0 : m_ends[size_t(row) - 1];
        const quint64 length = end - start;
        if (length == 0)
            return QString(QLatin1String(""));
        // A text that did not fit the rest of its block starts the next one.
        if ((start / BlockChars) != ((end - 1) / BlockChars))
            start = (end - 1) / BlockChars * BlockChars;
        const char16_t *block = m_blocks[size_t(start / BlockChars)].data();
        return QString(reinterpret_cast<const QChar *>(block + start % BlockChars),
                       qsizetype(end - start));
    }
    case Store::Strings:
        return m_texts[size_t(row)];
    }
    return {};
}

void FieldColumn::appendTextValue(const QString &text)
{
    if (m_store == Store::Dictionary) {
        if (const auto found = m_lookup.constFind(text); found != m_lookup.cend()) {
            m_codes.push_back(*found);
            return;
        }
        // A column of mostly different texts is seen early: it shares nothing.
        const bool mostlyDifferent = m_codes.size() == 256 && m_dictionary.size() > 192;
        if (!mostlyDifferent && m_dictionary.size() < DictionaryLimit) {
            const auto code = quint32(m_dictionary.size());
            m_dictionary.push_back(text);
            m_lookup.insert(text, code);
            m_codes.push_back(code);
            return;
        }
        // Too many different texts to share: packed one after another from here on, unless
        // one is longer than a block.
        const std::vector<quint32> codes = std::move(m_codes);
        const std::vector<QString> dictionary = std::move(m_dictionary);
        m_codes = {};
        m_dictionary = {};
        m_lookup = {};
        const bool longText = std::any_of(dictionary.cbegin(), dictionary.cend(),
                                          [](const QString &t) { return t.size() > BlockChars; });
        m_store = longText ? Store::Strings : Store::Packed;
        for (const quint32 code : codes)
            appendTextValue(dictionary[code]);
    }
    if (m_store == Store::Packed && quint64(text.size()) > BlockChars)
        toStrings(); // longer than a block: such a column keeps one QString per text
    if (m_store == Store::Packed) {
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
        return;
    }
    m_texts.push_back(text);
}

// Drops every store; the caller fills the one the column moves to.
void FieldColumn::clearStores()
{
    m_numbers = {};
    m_reals = {};
    m_variants = {};
    m_texts = {};
    m_codes = {};
    m_dictionary = {};
    m_lookup = {};
    m_blocks = {};
    m_ends = {};
    m_packedEnd = 0;
}

void FieldColumn::toTexts()
{
    std::vector<QString> texts;
    texts.reserve(size_t(m_size));
    for (qsizetype row = 0; row < m_size; ++row)
        texts.push_back(text(row));
    clearStores();
    m_store = Store::Dictionary;
    m_kind = Kind::Text;
    m_type = QMetaType::QString;
    for (const QString &text : texts)
        appendTextValue(text);
}

// Texts one QString each: the store that cells are written into.
void FieldColumn::toStrings()
{
    const size_t stored = m_store == Store::Dictionary ? m_codes.size() : m_ends.size();
    std::vector<QString> texts;
    texts.reserve(stored);
    for (size_t row = 0; row < stored; ++row)
        texts.push_back(storedText(qsizetype(row)));
    clearStores();
    m_texts = std::move(texts);
    m_store = Store::Strings;
}

void FieldColumn::toVariants()
{
    std::vector<QVariant> values;
    values.reserve(size_t(m_size));
    for (qsizetype row = 0; row < m_size; ++row)
        values.push_back(value(row));
    clearStores();
    m_variants = std::move(values);
    m_kind = Kind::Variant;
}

void FieldColumn::setText(qsizetype row, const QString &text)
{
    if (m_kind == Kind::RowNumber && text == QString::number(row + 1))
        return;
    if (m_kind != Kind::Text)
        toTexts();
    m_nulls[size_t(row)] = false;
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
    m_texts[size_t(row)] = text;
}

void FieldColumn::setNull(qsizetype row)
{
    setText(row, QString());
    m_nulls[size_t(row)] = true;
}

void FieldColumn::appendText(const QString &text)
{
    if (m_kind == Kind::RowNumber && (text.isEmpty() || text == QString::number(m_size + 1))) {
        m_nulls.push_back(false);
        ++m_size;
        return;
    }
    // An empty cell of a typed column reads as a null one: no need to turn it into texts.
    if (text.isEmpty() && m_kind != Kind::Text && m_kind != Kind::RowNumber) {
        append(QVariant());
        return;
    }
    if (m_kind != Kind::Text)
        toTexts();
    m_nulls.push_back(false);
    ++m_size;
    appendTextValue(text);
}

void FieldColumn::remove(qsizetype row)
{
    if (m_kind == Kind::Text && m_store == Store::Packed)
        toStrings();
    const auto at = [row](auto &values) {
        if (!values.empty())
            values.erase(values.begin() + row);
    };
    at(m_nulls);
    at(m_numbers);
    at(m_reals);
    at(m_variants);
    at(m_texts);
    at(m_codes);
    --m_size;
}

void FieldColumn::truncate(qsizetype rows)
{
    if (rows < 0 || rows >= m_size)
        return;
    const auto keep = [rows](auto &values) {
        if (values.size() > size_t(rows))
            values.resize(size_t(rows));
    };
    keep(m_nulls);
    keep(m_numbers);
    keep(m_reals);
    keep(m_variants);
    keep(m_texts);
    keep(m_codes);
    if (m_store == Store::Packed && m_kind == Kind::Text) {
        keep(m_ends);
        m_packedEnd = m_ends.empty() ? 0 : m_ends.back();
        m_blocks.resize(size_t((m_packedEnd + BlockChars - 1) / BlockChars));
    }
    m_size = rows;
}

void FieldColumn::numberRows()
{
    clearStores();
    m_store = Store::Dictionary;
    m_nulls.assign(size_t(m_size), false);
    m_kind = Kind::RowNumber;
    m_type = QMetaType::QString;
}

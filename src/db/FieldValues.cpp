#include "db/FieldValues.h"

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

// Unset for a plain text, which this store does not hold.
FieldValues::Kind FieldValues::kindOf(const QVariant &value, qint64 *number) const
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
        return parseGeneralDate(value.toString(), number) ? Kind::MomentText : Kind::Unset;
    default:
        return Kind::Variant;
    }
}

// The rows so far are all null.
void FieldValues::become(Kind kind, const QVariant &first)
{
    m_kind = kind;
    m_type = first.typeId();
    if (kind == Kind::Moment)
        m_zone = first.toDateTime().timeSpec();
    if (kind == Kind::Real)
        m_reals.resize(size_t(m_size));
    else if (kind == Kind::Variant)
        m_variants.resize(size_t(m_size));
    else
        m_numbers.resize(size_t(m_size));
}

FieldValues::Fit FieldValues::append(const QVariant &value)
{
    if (m_kind == Kind::Variant) {
        m_variants.push_back(value);
        ++m_size;
        return Fit::Held;
    }
    qint64 number = 0;
    const Kind kind = kindOf(value, &number);
    if (kind == Kind::Unset)
        return Fit::PlainText;
    if (m_kind == Kind::Unset)
        become(kind, value);
    else if (kind != m_kind || value.typeId() != m_type)
        return Fit::OtherKind;
    switch (m_kind) {
    case Kind::Real:
        m_reals.push_back(value.toDouble());
        break;
    case Kind::Variant:
        m_variants.push_back(value);
        break;
    default:
        m_numbers.push_back(number);
        break;
    }
    ++m_size;
    return Fit::Held;
}

void FieldValues::appendNull()
{
    switch (m_kind) {
    case Kind::Unset:
        break;
    case Kind::Real:
        m_reals.push_back(0.0);
        break;
    case Kind::Variant:
        m_variants.emplace_back();
        break;
    default:
        m_numbers.push_back(0);
        break;
    }
    ++m_size;
}

QVariant FieldValues::value(qsizetype row) const
{
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
    case Kind::Unset:
        break;
    }
    return text(row);
}

QString FieldValues::text(qsizetype row) const
{
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
    case Kind::Variant:
        return DatabaseValueText(m_variants[size_t(row)]);
    case Kind::Unset:
        break;
    }
    return {};
}

void FieldValues::setVariants(std::vector<QVariant> values)
{
    clear();
    m_size = qsizetype(values.size());
    m_variants = std::move(values);
    m_kind = Kind::Variant;
}

void FieldValues::remove(qsizetype row)
{
    const auto at = [row](auto &values) {
        if (!values.empty())
            values.erase(values.begin() + row);
    };
    at(m_numbers);
    at(m_reals);
    at(m_variants);
    --m_size;
}

void FieldValues::truncate(qsizetype rows)
{
    const auto keep = [rows](auto &values) {
        if (values.size() > size_t(rows))
            values.resize(size_t(rows));
    };
    keep(m_numbers);
    keep(m_reals);
    keep(m_variants);
    m_size = qMin(m_size, rows);
}

void FieldValues::moveLastTo(qsizetype row)
{
    const auto move = [row](auto &values) {
        if (size_t(row) < values.size())
            std::rotate(values.begin() + row, values.end() - 1, values.end());
    };
    move(m_numbers);
    move(m_reals);
    move(m_variants);
}

void FieldValues::clear()
{
    m_kind = Kind::Unset;
    m_type = 0;
    m_size = 0;
    m_numbers = {};
    m_reals = {};
    m_variants = {};
}

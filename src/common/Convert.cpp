#include "common/Convert.h"

#include "common/ArdentaError.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <QRegularExpression>
#include <QVariant>

namespace {

// The first character after leading white space, or a null character. FormatStr asks about
// every value of every row it writes; most are plain words that this rules out at once.
QChar FirstNonSpace(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return c;
    }
    return QChar();
}

bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool IsNumericText(const QString &text)
{
    const QChar first = FirstNonSpace(text);
    if (!IsAsciiDigit(first) && first != QLatin1Char('+') && first != QLatin1Char('-') &&
        first != QLatin1Char('.'))
        return false;
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}

qint32 ToLong(const QString &text)
{
    if (!IsNumericText(text))
        throw ArdentaError(QStringLiteral("Type mismatch"));
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw ArdentaError(QStringLiteral("Overflow"));
    const int savedMode = std::fegetround();
    std::fesetround(FE_TONEAREST); // halves go to the even neighbour
    const double rounded = std::nearbyint(value);
    std::fesetround(savedMode);
    if (rounded > 2147483647.0 || rounded < -2147483648.0)
        throw ArdentaError(QStringLiteral("Overflow"));
    return qint32(rounded);
}

// The moment is kept as written, without a time zone (held as UTC): a local time that falls into
// a daylight-saving gap would otherwise be invalid or shifted.
std::optional<QDateTime> ParseDateText(const QString &input)
{
    static const QRegularExpression dateTime(QStringLiteral(
        R"(^\s*(\d{4})([-/.])(\d{1,2})\2(\d{1,2})(?:[ T]+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    static const QRegularExpression timeOnly(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2}))?\s*$)"));
    // Both forms begin with a digit.
    if (!IsAsciiDigit(FirstNonSpace(input)))
        return std::nullopt;

    if (const auto m = dateTime.match(input); m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        if (!date.isValid())
            return std::nullopt;
        QTime time(0, 0, 0);
        if (m.hasCaptured(5))
            time = QTime(m.captured(5).toInt(), m.captured(6).toInt(),
                         m.hasCaptured(7) ? m.captured(7).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
        return QDateTime(date, time, Qt::UTC);
    }
    if (const auto m = timeOnly.match(input); m.hasMatch()) {
        const QTime time(m.captured(1).toInt(), m.captured(2).toInt(),
                         m.hasCaptured(3) ? m.captured(3).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
        return QDateTime(ZeroDate(), time, Qt::UTC);
    }
    return std::nullopt;
}

QString GeneralDateText(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ShortDateText(const QDate &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd"));
}

QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' '; });
}

bool IsPlainWholeNumber(const QString &text)
{
    const qsizetype start = text.startsWith(u'-') ? 1 : 0;
    if (text.size() == start || text.size() - start > 18)
        return false;
    return std::all_of(text.cbegin() + start, text.cend(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString DatabaseValueText(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDateTime:
        return GeneralDateText(value.toDateTime());
    case QMetaType::QDate:
        return ShortDateText(value.toDate());
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        // 15 significant digits: 0.1 + 0.2 shows as 0.3, not as its binary expansion.
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

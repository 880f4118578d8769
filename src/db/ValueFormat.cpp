#include "db/ValueFormat.h"

#include "common/Convert.h"
#include "common/ErrLog.h"

#include <optional>
#include <QDateTime>

// Which texts FormatStr leaves as numbers and rewrites as dates is fixed, whatever the machine's
// locale (see Convert.h):
//   numbers: optional sign, digits with an optional decimal point, optional exponent
//            ("42", "-3.5", ".5", "1e3");
//   dates:   yyyy-M-d, yyyy/M/d or yyyy.M.d, optionally followed by H:mm or H:mm:ss;
//            a time alone (H:mm, H:mm:ss) lies on the zero date 1899-12-30.
// Numbers are tested first, so 20240105 stays a number.

namespace {
// The moment FormatStr writes for a trimmed, non-blank value, when the value reads as one.
std::optional<QDateTime> MomentOf(const QString &value)
{
    return IsNumericText(value) ? std::nullopt : ParseDateText(value);
}
} // namespace

QString FormatStr(const QString &strValue, bool blnQuote)
{
    QString text;
    AppendFormatStr(text, strValue, blnQuote);
    return text;
}

void AppendFormatStr(QString &text, const QString &strValue, bool blnQuote)
{
    const qsizetype start = text.size();
    try {
        const QString value = TrimBlanks(strValue);
        if (value.isEmpty()) {
            text += QLatin1String("Null");
            return;
        }
        const std::optional<QDateTime> moment = MomentOf(value);
        if (blnQuote)
            text += u'\'';
        if (moment) {
            text += GeneralDateText(*moment);
        } else {
            // The value with its single quotes doubled, written in runs between them.
            qsizetype from = 0;
            for (qsizetype quote; (quote = value.indexOf(u'\'', from)) >= 0; from = quote + 1)
                text += QStringView(value).mid(from, quote + 1 - from) % u'\'';
            text += QStringView(value).mid(from);
        }
        if (blnQuote)
            text += u'\'';
    } catch (const std::exception &e) {
        text.truncate(start);
        LogFailure(e, QStringLiteral("FormatStr"), QStringLiteral("modPublic"));
    }
}

QVariant StoredValue(const QString &strValue)
{
    const QString value = TrimBlanks(strValue);
    if (value.isEmpty())
        return {};
    const std::optional<QDateTime> moment = MomentOf(value);
    return moment ? GeneralDateText(*moment) : value;
}

// Dates read the same from every engine: the general form for a moment (PostgreSQL timestamps;
// SQLite already returns that text), the short form for a date, H:mm:ss for a time.
QString Nulltostr(const QVariant &varValue)
{
    if (varValue.isNull())
        return QString();
    if (!varValue.canConvert<QString>()) {
        WriteErrLog(QStringLiteral("Type mismatch"), QStringLiteral("Nulltostr"),
                    QStringLiteral("modPublic"));
        return QString();
    }
    return TrimBlanks(DatabaseValueText(varValue));
}

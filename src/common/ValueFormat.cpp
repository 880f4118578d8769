#include "ValueFormat.h"

#include "Convert.h"
#include "ErrLog.h"

#include <QDateTime>

// Which texts FormatStr leaves as numbers and rewrites as dates is fixed, whatever the machine's
// locale (see Convert.h):
//   numbers: optional sign, digits with an optional decimal point, optional exponent
//            ("42", "-3.5", ".5", "1e3");
//   dates:   yyyy-M-d, yyyy/M/d or yyyy.M.d, optionally followed by H:mm or H:mm:ss;
//            a time alone (H:mm, H:mm:ss) lies on the zero date 1899-12-30.
// Numbers are tested first, so 20240105 stays a number.

QString FormatStr(const QString &strValue, bool blnQuote)
{
    try {
        QString text = TrimBlanks(strValue);
        if (text.isEmpty())
            return QStringLiteral("Null");
        if (!IsNumericText(text)) {
            if (const auto moment = ParseDateText(text))
                text = GeneralDateText(*moment);
        }
        text.replace(QLatin1Char('\''), QLatin1String("''"));
        if (blnQuote)
            text = QLatin1Char('\'') + text + QLatin1Char('\'');
        return text;
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("FormatStr"), QStringLiteral("modPublic"));
        return QString();
    }
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

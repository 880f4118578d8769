#pragma once
// Locale-independent rules for which texts count as numbers and as dates.
//
// Numbers: an optional sign, digits with an optional decimal point (".5", "5.", "1.25"), and an
// optional exponent ("1e3", "-2.5E-2"). No thousands separators, no hexadecimal.
// Dates: year first, with "-", "/" or "." between year, month and day (yyyy-M-d, yyyy/M/d,
// yyyy.M.d), optionally followed by a blank or "T" and a time H:mm or H:mm:ss; a time alone
// (H:mm or H:mm:ss) lies on the zero date 1899-12-30.

#include <optional>
#include <QDateTime>
#include <QString>
#include <QVariant>

bool IsNumericText(const QString &text);

// CLng: the number rounded to the nearest whole number, halves to the even neighbour; throws
// ArdentaError("Overflow") past 32 bits and ArdentaError("Type mismatch") for a non-number.
qint32 ToLong(const QString &text);

// A recognisable date and/or time, or nothing. The result carries the wall-clock time as written
// (held as UTC), never shifted by the local time zone.
std::optional<QDateTime> ParseDateText(const QString &text);

// The module's general date form, yyyy-MM-dd HH:mm:ss.
QString GeneralDateText(const QDateTime &value);

// A database value as text, the same in grids and in Nulltostr: null gives "", date-times the
// general form, dates the short form, floating-point numbers 15 significant digits, Booleans
// True/False, anything else its ordinary text ("" when it has none).
QString DatabaseValueText(const QVariant &value);

// The module's short date form, yyyy-MM-dd.
QString ShortDateText(const QDate &value);

// The original trims blanks (space characters) only; tabs and line breaks stay.
QString TrimBlanks(const QString &text);
bool IsBlank(const QString &text);

// Record keys go into statements unquoted, so only plain whole numbers (an optional minus and
// at most 18 digits) count as keys.
bool IsPlainWholeNumber(const QString &text);

// The zero date of the original platform, on which a time alone lies.
inline QDate ZeroDate()
{
    return QDate(1899, 12, 30);
}

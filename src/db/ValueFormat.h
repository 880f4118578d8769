#pragma once

#include <QString>
#include <QVariant>

// Turns a typed value into the text of an SQL literal: blank gives Null, numbers stay as typed,
// dates become yyyy-MM-dd HH:mm:ss, single quotes are doubled, and quotes are put around it.
QString FormatStr(const QString &strValue, bool blnQuote = true);
// FormatStr written onto the end of text, for statements built from many values.
void AppendFormatStr(QString &text, const QString &strValue, bool blnQuote = true);

// What a text column holds once FormatStr's literal of the value is written into it: null for a
// blank value, otherwise the literal's text.
QVariant StoredValue(const QString &strValue);

// A database field as display text: null gives "", anything else its trimmed text.
QString Nulltostr(const QVariant &varValue);

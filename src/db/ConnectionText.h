#pragma once
// How a connection string is read before a reader of its form takes it, shared by parsing and
// masking so that a string never means one thing to one and another to the other: which form it
// has, and the "Key=Value;Key=Value" reading of the OLE DB and ODBC forms.

#include "db/ConnectionString.h"

#include <initializer_list>
#include <QList>
#include <QString>
#include <QStringView>

namespace ConnectionText {

// One "key=value" item as the reader found it; [valueFrom, valueTo) is where the value's text
// (quotes or braces included) sits in the string that was read.
struct KeyValue
{
    QString key; // trimmed, lower case
    QString value;
    qsizetype valueFrom = 0;
    qsizetype valueTo = 0;
};
using KeyValues = QList<KeyValue>;

// [from, to) of a string that was read.
struct Span
{
    qsizetype from;
    qsizetype to;
};

enum class Form { Empty, SQLitePath, PostgreSqlUri, Odbc, OleDb };

// Which reader a string (trimmed) goes to.
Form FormOf(QStringView text);
// The string without surrounding blanks; *leading: where it starts in text.
QStringView Trimmed(const QString &text, qsizetype *leading);

// "Key=Value;Key=Value": keys ignore case and surrounding blanks; a value may be wrapped in
// double or single quotes (OLE DB) or in braces (ODBC), a doubled closer inside standing for
// one, and may then hold ";"; anything after it up to the next ";" is ignored. A piece without
// "=" is kept as a key with no value so callers can complain.
KeyValues ReadItems(QStringView text);
// The value of the first item with one of the keys (lower case).
QString ValueOf(const KeyValues &pairs, std::initializer_list<const char *> keys,
                bool *found = nullptr);
bool IsPasswordKey(const QString &key);

QString PercentDecoded(QStringView text);
// Settings that say why the string was not understood.
ConnectionSettings Invalid(const QString &why);

} // namespace ConnectionText

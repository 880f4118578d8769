#pragma once
// The SQL text the staff window sends to table Clerk. Kept free of widgets so that the exact
// statement forms can be checked on their own.

#include <QString>
#include <QStringList>

class StaffStatements
{
public:
    enum class RowKind {
        Update, // saved record: rewritten whole
        Insert, // new record with something typed in it
        Blank,  // new record with nothing but blanks: left out
        BadKey  // a key that is not a plain whole number: never put into a statement
    };

    // The grid's load query: an empty leading column for the serial numbers, then the view.
    static QString LoadQuery();

    // cells: the row's key and its fields in ClerkFields order.
    static RowKind Classify(const QStringList &cells);

    // Appends the row's statement and a CR to text; appends nothing for Blank and BadKey rows.
    static RowKind AppendRow(QString &text, const QStringList &cells);

    static QString DeleteAll();
    // key must be a plain whole number (IsPlainWholeNumber).
    static QString DeleteOne(const QString &key);
};

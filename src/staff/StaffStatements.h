#pragma once
// The SQL text the staff window sends to table Clerk. Kept free of widgets so that the exact
// statement forms can be checked on their own.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class StaffStatements
{
public:
    enum class RowKind {
        Update, // saved record
        Insert, // new record with something typed in it
        Blank,  // new record with nothing but blanks: left out
        BadKey  // a key that is not a plain whole number: never put into a statement
    };

    // One field an update writes: the text typed, and the value the row must still hold there
    // for the update to apply (what was read, or what a colleague wrote since).
    struct FieldWrite
    {
        int Field; // ClerkFields index
        QString Mine;
        QVariant Expected;
    };

    // The grid's load query: an empty leading column for the serial numbers, then the view.
    static QString LoadQuery();

    // cells: a record's columns (ClerkColumns::RecordCol), the key and then the fields.
    static RowKind Classify(const QStringList &cells);

    // A new record: all fourteen fields, cells as for Classify.
    static QString Insert(const QStringList &cells);

    // A deleted row put back under its old key, as Insert writes a new one, unless a row holds
    // that key again (a colleague put it back first): then it changes nothing. cells as for
    // Classify; the key must be a plain whole number.
    static QString Restore(const QStringList &cells);

    // Sets the written fields and checks each against its expected value, so that a colleague's
    // change of the same field since makes it match no row; his changes of other fields stay.
    // key must be a plain whole number.
    static QString Update(const QString &key, const std::vector<FieldWrite> &writes);

    // The current fields of the rows with these keys, key first, in ClerkFields order.
    static QString ReadRows(const QStringList &keys);

    // The keys above afterKey, in order, of rows holding what Insert writes for any of the
    // records given (cells as for Classify): where a new row is found that an interrupted save
    // may have inserted. A blank matches Null and empty text alike.
    static QString FindInserted(const QList<QStringList> &records, qint64 afterKey);

    // How many rows the directory holds.
    static QString CountAll();
    static QString DeleteAll();
    // key must be a plain whole number (IsPlainWholeNumber).
    static QString DeleteOne(const QString &key);
};

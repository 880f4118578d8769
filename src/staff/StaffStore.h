#pragma once
// How the staff window writes the directory back. A save writes the new rows and, of the saved
// rows, only the fields the user changed, each update checked against what was read, so that a
// colleague's save since is never undone: his changes of other fields stay as they are, a change
// of the same field (or a row he deleted) is put to the user in one question, after the first
// pass has been committed. Under Transact-SQL each pass is one transaction, under Jet one call
// per statement. The deletes run one statement each. The store reads nothing of the session: the
// window passes the connection and the dialect.
//
// A save is never repeated by itself, and a failed one may still have been committed (the
// connection dropped during the commit): the next save settles, without a question, fields that
// already hold what the user typed, and looks for a new row that the failed save may have
// inserted before it inserts it again.

#include "common/DBType.h"

#include <functional>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class StaffEdits;

class StaffStore
{
public:
    // The grid's rows as shown, by grid row: the key, and each field by ClerkFields index; and
    // the highest key among the rows the grid was loaded with (asked only when looking for rows
    // a failed save may have inserted).
    struct GridText
    {
        std::function<QString(int gridRow)> Key;
        std::function<QString(int gridRow, int field)> Field;
        std::function<qint64()> HighestKey;
    };

    // A row a colleague changed or deleted since it was read, as the user is asked about it.
    struct Collision
    {
        struct Field
        {
            int Index; // ClerkFields index
            QVariant Read;
            QVariant Theirs;
            QString Mine;
        };
        int GridRow = 0;
        bool Deleted = false;
        std::vector<Field> Fields; // the colliding ones; none when the row is gone
    };
    // Puts the collisions to the user; true when he answers Yes (his values over theirs).
    using Ask = std::function<bool(const std::vector<Collision> &collisions)>;

    struct CellValue
    {
        int GridRow;
        int Field; // ClerkFields index
        QVariant Value;
    };

    struct SaveResult
    {
        bool Saved = true;   // false: the user must be told it failed; unwritten text stays
        QString Reason;      // why it failed, in the database's words where it gave some
        bool Reload = false; // rows were inserted, and get their keys only from a reload
        std::vector<CellValue> Cells; // what the database now holds, for the grid to show
        std::vector<int> Settled;     // edited rows that hold what the database holds
        std::vector<int> Gone;        // rows a colleague deleted, let go by the user; last first
        int Questions = 0;            // how often the user was asked
        // After a failure: new rows that may have been inserted all the same, as they were
        // inserted (record columns), for StaffEdits::MaybeInserted.
        std::vector<std::pair<int, QStringList>> MaybeInserted;
    };

    // Every failure is logged here, under the window's routine (SaveData of frmMain); a rejected
    // statement as ExcuteSQL logs it. Rows with a key that is not a plain number are skipped and
    // logged. A collision is a question, not a failure, and is not logged. Nothing escapes.
    // A failed save leaves what it did not write in the grid; what the grid must reload for (rows
    // inserted) it says in Reload only when it succeeded.
    SaveResult Save(const QString &strConnection, DBType dialect, const StaffEdits &edits,
                    const std::vector<int> &newRows, const GridText &grid, const Ask &ask);

    // ExcuteSQL's answer. A connection failure is thrown, for the caller's own handler, which
    // finds the statement in LastStatement().
    bool DeleteAll(const QString &strConnection);
    bool DeleteOne(const QString &strConnection, const QString &key);

    const QString &LastStatement() const { return m_statement; }

private:
    bool Run(const QString &strConnection, const QString &statement);

    QString m_statement;
};

#pragma once
// How the staff window writes the directory back. A save turns every grid row into its
// statement and runs them as one batch in one transaction under dialect 0, streamed row by row,
// or one call per row under dialect 1 (any other dialect runs nothing); the deletes run one
// statement each.

#include <functional>
#include <QString>
#include <QStringList>

class StaffStore
{
public:
    // The key and the fields (ClerkFields order) of data row `row`, 0 being the first.
    using RowCells = std::function<QStringList(int row)>;

    struct SaveResult
    {
        bool Saved = true;   // false: the user must be told it failed; the grid keeps its text
        bool Reload = false; // rows were inserted, and get their keys only from a reload
    };

    // Every failure is logged here, under the window's routine (SaveData of frmMain), with the
    // statement text built so far; rows with a key that is not a plain number are skipped and
    // logged. Nothing escapes.
    SaveResult Save(int rows, const RowCells &cells, qint16 dialect);

    // ExcuteSQL's answer. A connection failure is thrown, for the caller's own handler, which
    // finds the statement in LastStatement().
    bool DeleteAll();
    bool DeleteOne(const QString &key);

    const QString &LastStatement() const { return m_statement; }

private:
    bool Run(const QString &statement);

    QString m_statement;
};

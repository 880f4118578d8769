#pragma once
// How the staff window writes the directory back. A save writes the new rows and, of the saved
// rows, only the fields the user changed, each update checked against what was read, so that a
// colleague's save since is never undone: his changes of other fields stay as they are, a change
// of the same field (or a row he deleted) is put to the user in one question, after the first
// pass has been committed. Under dialect 0 each pass is one transaction, under dialect 1 one call
// per statement; any other dialect writes nothing. The deletes run one statement each.

#include <functional>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class StaffEdits;

class StaffStore
{
public:
    // A cell of a grid row as shown: 0 the key, then the fields in ClerkFields order.
    using CellText = std::function<QString(int gridRow, int cell)>;
    // Puts the question to the user; true when he answers Yes (his values over theirs).
    using Ask = std::function<bool(const QString &question)>;

    struct CellValue
    {
        int GridRow;
        int Field; // ClerkFields index
        QVariant Value;
    };

    struct SaveResult
    {
        bool Saved = true;   // false: the user must be told it failed; unwritten text stays
        bool Reload = false; // rows were inserted, and get their keys only from a reload
        std::vector<CellValue> Cells; // what the database now holds, for the grid to show
        std::vector<int> Settled;     // edited rows that hold what the database holds
        std::vector<int> Gone;        // rows a colleague deleted, let go by the user; last first
        int Questions = 0;            // how often the user was asked
    };

    // Every failure is logged here, under the window's routine (SaveData of frmMain); a rejected
    // statement as ExcuteSQL logs it. Rows with a key that is not a plain number are skipped and
    // logged. A collision is a question, not a failure, and is not logged. Nothing escapes.
    SaveResult Save(const StaffEdits &edits, const std::vector<int> &newRows, const CellText &cell,
                    qint16 dialect, const Ask &ask);

    // ExcuteSQL's answer. A connection failure is thrown, for the caller's own handler, which
    // finds the statement in LastStatement().
    bool DeleteAll();
    bool DeleteOne(const QString &key);

    const QString &LastStatement() const { return m_statement; }

private:
    bool Run(const QString &statement);

    QString m_statement;
};

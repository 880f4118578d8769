#pragma once
// What the staff window read of the saved rows the user changed since the grid was loaded: for
// each such row its key and, for each cell before its first change, the value it held as the
// database gave it. Cells never changed still hold their values in the grid, so nothing is
// copied twice and a save looks at the changed rows only. It also keeps the new rows whose
// insert may have been committed by a save that then failed, as they were inserted, so that
// the next save looks for them before it inserts them again. And it keeps the rows put back from
// the history of deleted rows: new rows carrying their old keys, with the values they held.

#include <functional>
#include <map>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

class StaffEdits
{
public:
    struct Row
    {
        QString Key;
        std::vector<std::pair<int, QVariant>> Read; // field (ClerkFields index), value as read
    };

    // Before a cell of a saved row is written: keeps the value it holds now, the first time.
    void CellChanging(int gridRow, const QString &key, int field,
                      const std::function<QVariant()> &read);
    // The grid row went away; the rows below it move up.
    void RowRemoved(int gridRow) { RowsRemoved(gridRow, 1); }
    void RowsRemoved(int gridRow, int count);
    // The row holds what the database holds again.
    void Settled(int gridRow) { m_rows.erase(gridRow); }
    // A new row whose insert may have been committed: its record columns as inserted.
    void MaybeInserted(int gridRow, QStringList cells) { m_maybeInserted[gridRow] = cells; }
    // A deleted row put back: its record columns (its old key first) as it was deleted.
    void Restored(int gridRow, QStringList cells) { m_restored[gridRow] = cells; }
    bool IsRestored(int gridRow) const { return m_restored.contains(gridRow); }
    void Clear()
    {
        m_rows.clear();
        m_maybeInserted.clear();
        m_restored.clear();
    }

    // By grid row.
    const std::map<int, Row> &Rows() const { return m_rows; }
    const std::map<int, QStringList> &MaybeInsertedRows() const { return m_maybeInserted; }
    const std::map<int, QStringList> &RestoredRows() const { return m_restored; }
    // Whether a row shows another value than it was read with in one of its changed fields
    // (null and empty text alike); shown gives a field's text in the grid.
    bool Changed(int gridRow, const std::function<QString(int field)> &shown) const;

private:
    std::map<int, Row> m_rows;
    std::map<int, QStringList> m_maybeInserted;
    std::map<int, QStringList> m_restored;
};

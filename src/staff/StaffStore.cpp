#include "staff/StaffStore.h"

#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "db/ClerkFields.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "staff/StaffEdits.h"
#include "staff/StaffStatements.h"

#include <algorithm>
#include <map>
#include <set>

namespace {
// The entries keep the names of the window routine this work comes from.
const QString Procedure = QStringLiteral("SaveData");
const QString Module = QStringLiteral("frmMain");
// Asked once, and once more for rows that changed again while the question was open.
constexpr int MaxQuestions = 2;

using FieldWrite = StaffStatements::FieldWrite;

// A saved row to write, and what became of it.
struct Target
{
    int GridRow;
    QString Key;
    qint64 Id; // the key as a number, to sort by
    std::vector<FieldWrite> Writes;
};

// A row whose checked update matched nothing and that a colleague changed or deleted.
struct Conflict
{
    Target Row;
    bool Deleted = false;
    std::map<int, QVariant> Theirs; // the colliding fields' values now
};

// Null and empty text are one value: the module writes a blank as Null, and nobody can see the
// difference.
bool SameValue(const QVariant &a, const QVariant &b)
{
    return DatabaseValueText(a) == DatabaseValueText(b);
}

// A new row that a failed save may have inserted: as it was inserted, and as it is now.
struct Lookup
{
    int GridRow;
    QStringList Inserted;
    QStringList Now;
};

// Fields where the row now differs from the record as it was inserted, as checked updates.
std::vector<FieldWrite> ChangedSince(const QStringList &inserted, const QStringList &now)
{
    std::vector<FieldWrite> writes;
    for (int field = 0; field < ClerkFieldCount; ++field) {
        const int col = ClerkColumns::RecordCol(field);
        const QVariant stored = StoredValue(inserted.at(col));
        if (!SameValue(StoredValue(now.at(col)), stored))
            writes.push_back({field, now.at(col), stored});
    }
    return writes;
}

// The key and the fields of a grid row, as shown, in record columns.
QStringList RowCells(const StaffStore::GridText &grid, int gridRow)
{
    QStringList cells{grid.Key(gridRow)};
    for (int field = 0; field < ClerkFieldCount; ++field)
        cells << grid.Field(gridRow, field);
    return cells;
}

// What the user is asked about the conflicts.
std::vector<StaffStore::Collision> Collisions(const std::vector<Conflict> &conflicts)
{
    std::vector<StaffStore::Collision> collisions;
    for (const Conflict &conflict : conflicts) {
        StaffStore::Collision &collision = collisions.emplace_back();
        collision.GridRow = conflict.Row.GridRow;
        collision.Deleted = conflict.Deleted;
        for (const auto &[field, theirs] : conflict.Theirs) {
            const auto write =
                std::find_if(conflict.Row.Writes.cbegin(), conflict.Row.Writes.cend(),
                             [f = field](const FieldWrite &w) { return w.Field == f; });
            collision.Fields.push_back({field, write->Expected, theirs, write->Mine});
        }
    }
    return collisions;
}

// A new row an insert comes from, and its cells; a row a colleague deleted, written again,
// counts as -1. A restored row also has its cells as it was deleted.
struct InsertRow
{
    int GridRow;
    QStringList Cells;
    QStringList Restored;
};

// One save: the passes, the question between them, and what the grid is to show afterwards.
class SaveRun
{
public:
    SaveRun(const QString &connection, DBType dialect, const StaffStore::GridText &grid,
            StaffStore::SaveResult &result)
        : m_connection(connection), m_dialect(dialect), m_grid(grid), m_result(result)
    {
    }

    void Collect(const StaffEdits &edits, const std::vector<int> &newRows);
    // False when the rows a failed save may have inserted could not be looked for.
    bool FindInserted();
    void Run(const StaffStore::Ask &ask);
    // What failed, for the log: the pass's batch under Transact-SQL, else the statement that ran.
    QString FailedText() const;

private:
    QString Statements() const;
    bool RunPass(std::vector<int> &counts);
    std::vector<Target> Apply(const std::vector<int> &counts);
    void MaybeInserted(const std::vector<int> &counts, bool opened);
    // The save failed; the first reason is the one the user sees.
    void Failed(const QString &reason);
    void AddInsert(int gridRow, const QStringList &cells);
    void AddRestore(int gridRow, const QStringList &cells, const QStringList &restored);
    void AlreadyRestored(const InsertRow &row);
    void Written(const Target &target);
    std::vector<Conflict> Classify(const std::vector<Target> &unmatched);
    void Resolve(std::vector<Conflict> &conflicts, bool mine);

    const QString &m_connection;
    DBType m_dialect;
    const StaffStore::GridText &m_grid;
    StaffStore::SaveResult &m_result;
    std::vector<Target> m_targets;       // the pass's updates, ascending by key
    QStringList m_inserts;               // the pass's inserts, after the updates
    std::vector<InsertRow> m_insertRows; // what each insert comes from
    std::vector<Lookup> m_lookups;
    std::vector<Target> m_rerun; // rows to write again without a question
    QString m_current;           // under Jet, the statement running
};

void SaveRun::Collect(const StaffEdits &edits, const std::vector<int> &newRows)
{
    for (const auto &[gridRow, read] : edits.Rows()) {
        const QString key = TrimBlanks(read.Key);
        Target target{gridRow, key, key.toLongLong(), {}};
        for (const auto &[field, value] : read.Read) {
            // Typing back what was shown is no change; null and empty text look alike.
            QString shown = m_grid.Field(gridRow, field);
            if (shown != DatabaseValueText(value))
                target.Writes.push_back({field, std::move(shown), value});
        }
        if (target.Writes.empty()) {
            m_result.Settled.push_back(gridRow);
        } else if (!IsPlainWholeNumber(key)) {
            WriteErrLog(QStringLiteral("Key is not a whole number, row not saved"), Procedure,
                        Module, QStringLiteral("Row %1, Clerk_ID=%2").arg(gridRow).arg(read.Key));
        } else {
            std::sort(target.Writes.begin(), target.Writes.end(),
                      [](const auto &a, const auto &b) { return a.Field < b.Field; });
            m_targets.push_back(std::move(target));
        }
    }
    // Ascending keys: two saves at once take their row locks in the same order.
    std::sort(m_targets.begin(), m_targets.end(),
              [](const Target &a, const Target &b) { return a.Id < b.Id; });
    const auto &maybe = edits.MaybeInsertedRows();
    const auto &restored = edits.RestoredRows();
    for (const int gridRow : newRows) {
        QStringList cells = RowCells(m_grid, gridRow);
        if (const auto row = restored.find(gridRow); row != restored.end())
            AddRestore(gridRow, cells, row->second);
        else if (const auto inserted = maybe.find(gridRow); inserted != maybe.end())
            m_lookups.push_back({gridRow, inserted->second, std::move(cells)});
        else if (StaffStatements::Classify(cells) == StaffStatements::RowKind::Insert)
            AddInsert(gridRow, cells);
    }
}

void SaveRun::AddInsert(int gridRow, const QStringList &cells)
{
    m_inserts << StaffStatements::Insert(cells);
    m_insertRows.push_back({gridRow, cells, {}});
}

// Its insert changes nothing when the key is back already: a failed save's commit went
// through, or a colleague put the row back first. Either way it is looked at once the pass has
// run (AlreadyRestored), so it needs no look-up as a new row does.
void SaveRun::AddRestore(int gridRow, const QStringList &cells, const QStringList &restored)
{
    const QString key = TrimBlanks(cells.at(ClerkColumns::RecordKeyCol));
    if (!IsPlainWholeNumber(key)) {
        WriteErrLog(QStringLiteral("Key is not a whole number, row not saved"), Procedure, Module,
                    QStringLiteral("Row %1, Clerk_ID=%2").arg(gridRow).arg(key));
        return;
    }
    m_inserts << StaffStatements::Restore(cells);
    m_insertRows.push_back({gridRow, cells, restored});
}

// A restored row whose key was back already: what the user changed since he restored it
// becomes checked updates, as for a row he read then.
void SaveRun::AlreadyRestored(const InsertRow &row)
{
    const QString key = TrimBlanks(row.Cells.at(ClerkColumns::RecordKeyCol));
    std::vector<FieldWrite> writes = ChangedSince(row.Restored, row.Cells);
    if (!writes.empty())
        m_rerun.push_back({row.GridRow, key, key.toLongLong(), std::move(writes)});
}

// A row found holds its key from then on: what the user changed since becomes a checked update,
// and the grid's reload after the save shows it. A row not found is inserted as it is now.
bool SaveRun::FindInserted()
{
    if (m_lookups.empty())
        return true;
    const QString after = QString::number(m_grid.HighestKey());
    std::set<QString> taken;
    for (const Lookup &lookup : m_lookups) {
        const std::shared_ptr<Recordset> found =
            GetRecordset(m_connection, StaffStatements::FindInserted({lookup.Inserted, lookup.Now},
                                                                     after.toLongLong()));
        if (!found) // logged by GetRecordset
            return false;
        QString key;
        for (qsizetype r = 0; r < found->RecordCount() && key.isEmpty(); ++r) {
            if (taken.insert(found->text(r, 0)).second)
                key = found->text(r, 0);
        }
        if (key.isEmpty()) {
            if (StaffStatements::Classify(lookup.Now) == StaffStatements::RowKind::Insert)
                AddInsert(lookup.GridRow, lookup.Now);
            continue;
        }
        m_result.Reload = true;
        // A row found as it is now fails these checks and settles as already written.
        std::vector<FieldWrite> writes = ChangedSince(lookup.Inserted, lookup.Now);
        if (!writes.empty())
            m_targets.push_back({lookup.GridRow, key, key.toLongLong(), std::move(writes)});
    }
    m_lookups.clear();
    std::sort(m_targets.begin(), m_targets.end(),
              [](const Target &a, const Target &b) { return a.Id < b.Id; });
    return true;
}

QString SaveRun::FailedText() const
{
    if (m_dialect == DBType::TransactSql)
        return Statements();
    QString text = m_current;
    text += u'\r';
    return text;
}

QString SaveRun::Statements() const
{
    QString text;
    for (const Target &target : m_targets)
        text += StaffStatements::Update(target.Key, target.Writes) % u'\r';
    for (const QString &insert : m_inserts)
        text += insert % u'\r';
    return text;
}

// Runs the pass's statements; counts gets the rows each update changed, as far as they ran.
// False when the database refused one: under Transact-SQL nothing of the pass stays, under Jet
// the statements before it do.
bool SaveRun::RunPass(std::vector<int> &counts)
{
    size_t next = 0;
    const size_t total = m_targets.size() + size_t(m_inserts.size());
    const auto statement = [this](size_t i) {
        return i < m_targets.size() ? StaffStatements::Update(m_targets[i].Key, m_targets[i].Writes)
                                    : m_inserts[qsizetype(i - m_targets.size())];
    };
    if (m_dialect == DBType::TransactSql) {
        std::vector<int> pass;
        const bool ok = ExcuteBatch(
            m_connection, [&]() { return next < total ? statement(next++) : QString(); },
            [this] { return Statements(); }, [&pass](int rows) { pass.push_back(rows); });
        if (ok)
            counts = std::move(pass);
        return ok;
    }
    for (; next < total; ++next) {
        bool given = false;
        int rows = 0;
        m_current = statement(next);
        if (!ExcuteBatch(
                m_connection, [&]() { return std::exchange(given, true) ? QString() : m_current; },
                [this] { return FailedText(); }, [&rows](int n) { rows = n; }))
            return false;
        counts.push_back(rows); // committed
    }
    return true;
}

void SaveRun::Written(const Target &target)
{
    for (const FieldWrite &write : target.Writes)
        m_result.Cells.push_back({target.GridRow, write.Field, StoredValue(write.Mine)});
    m_result.Settled.push_back(target.GridRow);
}

// What a colleague did to each row that matched nothing. A field that already holds what the user
// typed, as it would be written (a colleague wrote the same, or a save whose connection dropped
// was committed after all), is no collision: it settles, and the row's other fields are written
// again without a question. A row whose changed fields all still hold what was expected was
// refused by the database (a rule or a policy): it fails, logged.
std::vector<Conflict> SaveRun::Classify(const std::vector<Target> &unmatched)
{
    QStringList keys;
    for (const Target &target : unmatched)
        keys << target.Key;
    const std::shared_ptr<Recordset> now =
        GetRecordset(m_connection, StaffStatements::ReadRows(keys));
    if (!now) { // logged by GetRecordset
        Failed(LastDatabaseFailure());
        return {};
    }
    std::map<qint64, qsizetype> rowOf;
    for (qsizetype r = 0; r < now->RecordCount(); ++r)
        rowOf[now->text(r, ClerkColumns::RecordKeyCol).toLongLong()] = r;
    std::vector<Conflict> conflicts;
    for (const Target &target : unmatched) {
        Conflict conflict{target, false, {}};
        const auto found = rowOf.find(target.Key.toLongLong());
        conflict.Deleted = found == rowOf.end();
        bool alreadyMine = false;
        std::vector<FieldWrite> pending;
        for (const FieldWrite &write : target.Writes) {
            if (conflict.Deleted)
                break;
            const QVariant theirs = now->value(found->second, ClerkColumns::RecordCol(write.Field));
            if (SameValue(theirs, write.Expected)) {
                pending.push_back(write);
            } else if (SameValue(theirs, StoredValue(write.Mine))) {
                m_result.Cells.push_back({target.GridRow, write.Field, theirs});
                alreadyMine = true;
            } else {
                conflict.Theirs[write.Field] = theirs;
                pending.push_back(write);
            }
        }
        conflict.Row.Writes = std::move(pending);
        if (conflict.Deleted || !conflict.Theirs.empty()) {
            conflicts.push_back(std::move(conflict));
            continue;
        }
        if (alreadyMine) {
            if (conflict.Row.Writes.empty())
                m_result.Settled.push_back(target.GridRow);
            else
                m_rerun.push_back(std::move(conflict.Row));
            continue;
        }
        const QString refused = QStringLiteral("The database refused the change of the row");
        Failed(refused);
        WriteErrLog(refused, Procedure, Module, StaffStatements::Update(target.Key, target.Writes));
    }
    return conflicts;
}

// The user's answer becomes the next pass: Yes writes his values over theirs (a deleted row as a
// new one), No takes theirs into the grid (a deleted row leaves it). The other changed fields
// are written either way, checked against what the row holds now.
void SaveRun::Resolve(std::vector<Conflict> &conflicts, bool mine)
{
    for (Conflict &conflict : conflicts) {
        Target &target = conflict.Row;
        if (conflict.Deleted) {
            if (mine) // a saved row: a failed save's look-ups are for new rows only
                AddInsert(-1, RowCells(m_grid, target.GridRow));
            else
                m_result.Gone.push_back(target.GridRow);
            continue;
        }
        std::vector<FieldWrite> writes;
        for (FieldWrite &write : target.Writes) {
            const auto theirs = conflict.Theirs.find(write.Field);
            if (theirs == conflict.Theirs.end()) {
                writes.push_back(write);
            } else if (mine) {
                writes.push_back({write.Field, write.Mine, theirs->second});
            } else {
                m_result.Cells.push_back({target.GridRow, write.Field, theirs->second});
            }
        }
        target.Writes = std::move(writes);
        if (target.Writes.empty())
            m_result.Settled.push_back(target.GridRow);
        else
            m_targets.push_back(std::move(target));
    }
}

// The statements that ran: written rows settle, inserts call for a reload, updates that matched
// no row are returned.
std::vector<Target> SaveRun::Apply(const std::vector<int> &counts)
{
    std::vector<Target> unmatched;
    for (size_t i = 0; i < counts.size(); ++i) {
        if (i >= m_targets.size()) {
            m_result.Reload = true;
            const InsertRow &row = m_insertRows[i - m_targets.size()];
            if (counts[i] == 0 && !row.Restored.isEmpty())
                AlreadyRestored(row);
        } else if (counts[i] > 0)
            Written(m_targets[i]);
        else
            unmatched.push_back(m_targets[i]);
    }
    return unmatched;
}

void SaveRun::Failed(const QString &reason)
{
    m_result.Saved = false;
    if (m_result.Reason.isEmpty())
        m_result.Reason = reason;
}

// After a failure: the new rows whose insert ran or was running may be in the database. Under
// Transact-SQL the pass was one transaction whose commit may have gone through before the
// connection dropped; under Jet the calls before the failing one were committed.
void SaveRun::MaybeInserted(const std::vector<int> &counts, bool opened)
{
    size_t ran = counts.size(); // committed
    if (opened)                 // the failing statement ran, or the commit did
        ran = m_dialect == DBType::TransactSql ? m_targets.size() + m_insertRows.size() : ran + 1;
    for (size_t i = m_targets.size(); i < ran && i - m_targets.size() < m_insertRows.size(); ++i) {
        const InsertRow &row = m_insertRows[i - m_targets.size()];
        if (row.GridRow >= 0 && row.Restored.isEmpty())
            m_result.MaybeInserted.emplace_back(row.GridRow, row.Cells);
    }
}

void SaveRun::Run(const StaffStore::Ask &ask)
{
    if (!FindInserted()) {
        Failed(LastDatabaseFailure());
        for (const Lookup &lookup : m_lookups)
            m_result.MaybeInserted.emplace_back(lookup.GridRow, lookup.Inserted);
        return;
    }
    while (!m_targets.empty() || !m_inserts.empty()) {
        std::vector<int> counts;
        bool ok = false;
        try {
            ok = RunPass(counts);
        } catch (const ConnectionError &) {
            Apply(counts); // what Jet's calls wrote before the connection was lost stays
            MaybeInserted(counts, false);
            throw;
        }
        const std::vector<Target> unmatched = Apply(counts);
        if (!ok) {
            Failed(LastDatabaseFailure());
            MaybeInserted(counts, true);
            return;
        }
        if (unmatched.empty() && m_rerun.empty())
            return;
        std::vector<Conflict> conflicts =
            unmatched.empty() ? std::vector<Conflict>() : Classify(unmatched);
        std::vector<Target> rerun = std::exchange(m_rerun, {});
        m_targets.clear();
        m_inserts.clear();
        m_insertRows.clear();
        if (conflicts.empty()) {
            m_targets = std::move(rerun);
            continue;
        }
        if (m_result.Questions == MaxQuestions) {
            const QString again =
                QStringLiteral("Rows changed again while the user was asked about them");
            Failed(again);
            m_targets = unmatched;
            m_inserts.clear();
            WriteErrLog(again, Procedure, Module, Statements());
            return;
        }
        ++m_result.Questions;
        Resolve(conflicts, ask(Collisions(conflicts)));
        m_targets.insert(m_targets.end(), rerun.begin(), rerun.end());
        std::sort(m_targets.begin(), m_targets.end(),
                  [](const Target &a, const Target &b) { return a.Id < b.Id; });
    }
}

} // namespace

StaffStore::SaveResult StaffStore::Save(const QString &strConnection, DBType dialect,
                                        const StaffEdits &edits, const std::vector<int> &newRows,
                                        const GridText &grid, const Ask &ask)
{
    SaveResult result;
    SaveRun run(strConnection, dialect, grid, result);
    run.Collect(edits, newRows);
    try {
        run.Run(ask);
    } catch (const std::exception &error) {
        LogFailure(error, Procedure, Module, run.FailedText());
        result.Saved = false;
        if (result.Reason.isEmpty())
            result.Reason = MaskPasswordsIn(QString::fromUtf8(error.what()), strConnection);
    }
    std::sort(result.Gone.rbegin(), result.Gone.rend());
    // What a failed save may have inserted is found again by the next one, not by a reload.
    if (!result.Saved)
        result.Reload = false;
    return result;
}

bool StaffStore::Run(const QString &strConnection, const QString &statement)
{
    m_statement = statement;
    return ExcuteSQL(strConnection, m_statement);
}

bool StaffStore::DeleteAll(const QString &strConnection)
{
    return Run(strConnection, StaffStatements::DeleteAll());
}

bool StaffStore::DeleteOne(const QString &strConnection, const QString &key)
{
    return Run(strConnection, StaffStatements::DeleteOne(key));
}

#include "StaffScenarios.h"

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/SqlDialect.h"
#include "Measurement.h"
#include "print/cryClerk.h"
#include "ScenarioSteps.h"
#include "staff/frmHistory.h"
#include "staff/frmMain.h"
#include "staff/HistoryStatements.h"
#include "staff/StaffStatements.h"
#include "widgets/FlexGrid.h"

#include <algorithm>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

// Every staff row with all its fields.
const QString ReportSql = cryClerk::SourceQuery();

// The two fields a bench save changes in every row, and their values after save number k
// (0: as the data set was built).
const int PhoneField = ClerkFieldIndex("Clerk_Phone");
const int MemoField = ClerkFieldIndex("Clerk_Memo");

QString SavedValue(const QVariantList &row, int field, int k)
{
    if (k == 0)
        return row.at(ClerkColumns::RecordCol(field)).toString();
    const QString key = row.at(ClerkColumns::RecordKeyCol).toString();
    return field == MemoField ? QStringLiteral("Memo %1 for staff member %2").arg(k).arg(key)
                              : QStringLiteral("tel %1-%2").arg(k).arg(key);
}

// The statements the module sends to take the fields of every row from save k to save k + 1,
// adapted for the engine, built beforehand.
QStringList SaveStatements(SqlEngine engine, const QList<QVariantList> &rows, int k,
                           const QList<int> &fields)
{
    QStringList statements;
    for (const QVariantList &row : rows) {
        std::vector<StaffStatements::FieldWrite> writes;
        for (const int field : fields)
            writes.push_back({field, SavedValue(row, field, k + 1), SavedValue(row, field, k)});
        statements << AdaptBatch(StaffStatements::Update(row.at(0).toString(), writes), engine);
    }
    return statements;
}

// Runs the statements on one open connection: all in one transaction, or each in its own. The
// module keeps its connection, so opening this one is not timed.
double RunStatements(const QString &connection, const QStringList &statements, bool oneTransaction)
{
    double seconds = 0;
    WithConnection(connection, [&](QSqlDatabase &db) {
        QElapsedTimer timer;
        timer.start();
        QSqlQuery query(db);
        if (oneTransaction)
            db.transaction();
        for (const QString &statement : statements) {
            if (!oneTransaction)
                db.transaction();
            ExecStatement(query, statement);
            if (query.numRowsAffected() != 1)
                throw ArdentaError(QStringLiteral("A baseline update matched no row: ") +
                                   statement);
            if (!oneTransaction)
                db.commit();
        }
        if (oneTransaction)
            db.commit();
        seconds = Seconds(timer);
    });
    return seconds;
}

// One prepared, bound Update per row in one transaction: the engine's own speed.
double BoundUpdates(const QString &connection, const QList<QVariantList> &rows, int k)
{
    QElapsedTimer timer;
    timer.start();
    WithConnection(connection, [&](QSqlDatabase &db) {
        if (!db.transaction())
            throw ArdentaError(QStringLiteral("Cannot begin a transaction"));
        QSqlQuery query(db);
        query.prepare(QStringLiteral("Update Clerk Set Clerk_Phone=?,Clerk_Memo=? Where "
                                     "Clerk_ID=? And Clerk_Phone=? And Clerk_Memo=?"));
        for (const QVariantList &row : rows) {
            query.bindValue(0, SavedValue(row, PhoneField, k + 1));
            query.bindValue(1, SavedValue(row, MemoField, k + 1));
            query.bindValue(2, row.at(0));
            query.bindValue(3, SavedValue(row, PhoneField, k));
            query.bindValue(4, SavedValue(row, MemoField, k));
            if (!query.exec() || query.numRowsAffected() != 1)
                throw ArdentaError(QStringLiteral("Bound update failed"));
        }
        db.commit();
    });
    return Seconds(timer);
}

// Times SaveData from the click to its "Saved!" box, the answer's wait left out.
double TimedSave(frmMain *window, MessageAnswerer &answerer, Measurement &m)
{
    answerer.clear();
    const qint64 start = answerer.clock().nsecsElapsed();
    window->SaveData();
    const qint64 end = answerer.clock().nsecsElapsed();
    const auto &seen = answerer.seen();
    const bool saved = seen.size() == 1 && seen.front().icon == QMessageBox::Information;
    m.check(saved, QStringLiteral("SaveData did not answer with one \"Saved!\" box"));
    return double((saved ? seen.front().shownAtNs : end) - start) / 1e9;
}

// A staff row's values as the triggers keep them, as SQL text: the phone and memo numbered by
// the SQL expression i (so that consecutive entries differ in two fields), the rest fixed.
QString HistoryJson(const QString &key, const QString &i)
{
    QString json = QStringLiteral("'{\"Clerk_ID\":'||") + key + QStringLiteral("||'");
    for (int field = 0; field < ClerkFieldCount; ++field) {
        const QString name = QLatin1String(ClerkFields[size_t(field)].Name);
        json += QStringLiteral(",\"%1\":\"").arg(name);
        if (field == PhoneField || field == MemoField)
            json +=
                (field == PhoneField ? QStringLiteral("0571-'||") : QStringLiteral("Memo '||")) +
                i + QStringLiteral("||'");
        else
            json += QStringLiteral("%1 of the row").arg(ClerkFields[size_t(field)].Header);
        json += u'"';
    }
    return json + QStringLiteral("}'");
}

// A block of new staff rows as a spreadsheet copies them: every field about 28 characters, about
// 400 bytes a row.
QString PasteBlock(qint64 rows)
{
    QString text;
    text.reserve(rows * 420);
    for (qint64 r = 1; r <= rows; ++r) {
        for (int field = 0; field < ClerkFieldCount; ++field) {
            if (field > 0)
                text += u'\t';
            text +=
                QStringLiteral("Field %1 of new row %2").arg(field, 2).arg(r, 8, 10, QChar(u'0'));
        }
        text += u'\n';
    }
    return text;
}

} // namespace

void StaffLoad(const ScenarioSetup &setup, Measurement &m)
{
    m.baseline([&] { return BareFetch(setup.connection, StaffStatements::LoadQuery()); });
    m.module([&] {
        QElapsedTimer timer;
        timer.start();
        frmMain *window = frmMain::instance();
        ShowAndPaint(window);
        const double seconds = Seconds(timer);
        const FlexGrid *grid = GridOf(window);
        // header, the records, and the new-entry row
        m.check(grid && grid->Rows() == setup.n + 2, QStringLiteral("staff grid row count"));
        CloseAndDelete(window);
        m.extra().insert(QStringLiteral("rss_after_close_mb"), ResidentMemoryMb());
        return seconds;
    });
}

// Every row changed in two fields, then saved; each run goes one save further, the baseline
// (the same statement texts on one connection) and the module taking turns.
void StaffSave(const ScenarioSetup &setup, Measurement &m, DBType dialect)
{
    const QList<QVariantList> rows = QueryRows(setup.connection, ReportSql);
    m.check(rows.size() == setup.n, QStringLiteral("staff rows before saving"));
    SqlEngine engine = SqlEngine::Passthrough;
    WithConnection(setup.connection, [&engine](QSqlDatabase &db) { engine = EngineOf(db); });
    int k = 0;
    // Transact-SQL at best runs the texts in one transaction, Jet one transaction each.
    m.baseline([&] {
        const QStringList statements = SaveStatements(engine, rows, k++, {PhoneField, MemoField});
        return RunStatements(setup.connection, statements, dialect == DBType::TransactSql);
    });
    Session().gintDBType = dialect;
    frmMain *window = frmMain::instance();
    ShowAndPaint(window);
    FlexGrid *grid = GridOf(window);
    MessageAnswerer answerer;
    double added = 0;
    m.module([&] {
        window->RefreshDB();
        for (int r = 0; r < rows.size(); ++r) {
            for (const int field : {PhoneField, MemoField})
                window->EditCell(r + grid->FixedRows(), ClerkColumns::GridCol(field),
                                 SavedValue(rows[r], field, k + 1));
        }
        const double before = ResidentMemoryMb();
        ResetPeakMemory();
        const double seconds = TimedSave(window, answerer, m);
        added = std::max(added, PeakMemoryMb() - before);
        ++k;
        return seconds;
    });
    if (dialect == DBType::TransactSql) {
        std::vector<double> bound;
        for (int i = 0; i < std::min(setup.runs, 3); ++i, ++k)
            bound.push_back(BoundUpdates(setup.connection, rows, k));
        m.extra().insert(QStringLiteral("bound_update_s"), Median(bound));
    }
    CloseAndDelete(window);
    m.extra().insert(QStringLiteral("save_added_mb"), added);
    m.check(QueryCount(setup.connection, QStringLiteral("Select Count(*) From Clerk")) == setup.n,
            QStringLiteral("staff row count after saving"));
    m.check(QueryCount(setup.connection,
                       QStringLiteral("Select Count(*) From Clerk Where Clerk_Memo='Memo %1 for "
                                      "staff member '||Clerk_ID And Clerk_NO='E'||Clerk_ID")
                           .arg(k)) == setup.n,
            QStringLiteral("staff rows hold the last save"));
}

// One cell changed in a loaded directory, then saved; the baseline runs the same statement on
// a connection of its own.
void StaffSaveOne(const ScenarioSetup &setup, Measurement &m)
{
    const QList<QVariantList> rows = QueryRows(setup.connection, ReportSql);
    const QList<QVariantList> one{rows.value(int(setup.n / 2))};
    SqlEngine engine = SqlEngine::Passthrough;
    WithConnection(setup.connection, [&engine](QSqlDatabase &db) { engine = EngineOf(db); });
    int k = 0;
    m.baseline([&] {
        const QStringList statements = SaveStatements(engine, one, k++, {MemoField});
        return RunStatements(setup.connection, statements, true);
    });
    frmMain *window = frmMain::instance();
    ShowAndPaint(window);
    const int gridRow = int(setup.n / 2) + GridOf(window)->FixedRows();
    MessageAnswerer answerer;
    m.module([&] {
        window->RefreshDB(); // after the baseline's write
        window->EditCell(gridRow, ClerkColumns::GridCol(MemoField),
                         SavedValue(one.front(), MemoField, k + 1));
        const double seconds = TimedSave(window, answerer, m);
        ++k;
        return seconds;
    });
    CloseAndDelete(window);
    m.check(QueryCount(setup.connection,
                       QStringLiteral("Select Count(*) From Clerk Where Clerk_Memo Like 'Memo %1 "
                                      "for staff member %'")
                           .arg(k)) == 1,
            QStringLiteral("the changed cell holds the last save"));
}

// History... on a row whose history holds 1,000 changes, every thousandth of N entries, the
// others of rows long gone: from the call to the painted list of its changes. The baseline
// fetches the same rows forward-only.
void HistoryOpen(const ScenarioSetup &setup, Measurement &m)
{
    constexpr qint64 Changes = 1000;
    QStringList values;
    for (int field = 0; field < ClerkFieldCount; ++field)
        values << u'\'' + QString::fromLatin1(ClerkFields[size_t(field)].Header) + u'\'';
    ExecSql(setup.connection, QStringLiteral("Insert Into Clerk(") + ClerkFieldList() +
                                  QStringLiteral(") Values(") + values.join(u',') + u')');
    const QString key = QString::number(
        QueryCount(setup.connection, QStringLiteral("Select Max(Clerk_ID) From Clerk")));
    const QString owner = QStringLiteral("(Case When i%") + QString::number(setup.n / Changes) +
                          QStringLiteral("=0 Then ") + key + QStringLiteral(" Else 1000000+i End)");
    const QString series =
        setup.postgres ? QStringLiteral("generate_series(1,%1) AS g(i)").arg(setup.n - 1)
                       : QStringLiteral("(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i+1 "
                                        "FROM s WHERE i<%1) SELECT i FROM s) AS g")
                             .arg(setup.n - 1);
    ExecSql(setup.connection,
            QStringLiteral("Insert Into Clerk_History(Clerk_ID,History_User,History_Kind,"
                           "History_Before,History_After) Select ") +
                owner + QStringLiteral(",'user '||(i%50),'UPDATE',") +
                HistoryJson(owner, QStringLiteral("i")) + u',' +
                HistoryJson(owner, QStringLiteral("(i+1)")) + QStringLiteral(" From ") + series);
    m.check(QueryCount(setup.connection, QStringLiteral("Select Count(*) From Clerk_History")) ==
                    setup.n &&
                QueryCount(setup.connection,
                           QStringLiteral("Select Count(*) From Clerk_History Where Clerk_ID=") +
                               key) == Changes,
            QStringLiteral("history rows"));
    m.baseline([&] { return BareFetch(setup.connection, HistoryStatements::Changes(key)); });
    frmMain *window = frmMain::instance();
    ShowAndPaint(window);
    m.module([&] {
        QElapsedTimer timer;
        timer.start();
        window->ShowHistory(GridOf(window)->FixedRows());
        frmHistory *history = frmHistory::loadedInstance();
        if (history)
            ShowAndPaint(history);
        const double seconds = Seconds(timer);
        // two fields of each change, the fourteen the row was added with
        m.check(GridOf(history) && GridOf(history)->Rows() == 1 + 2 * (Changes - 1) + 14,
                QStringLiteral("history lines"));
        if (history)
            CloseAndDelete(history);
        return seconds;
    });
    CloseAndDelete(window);
}

// A tenth of the directory's size in new rows pasted below a loaded directory, then undone. The
// baseline splits the same text into a plain row-after-row store, as the least a paste does.
void StaffPaste(const ScenarioSetup &setup, Measurement &m)
{
    const qint64 rows = std::max<qint64>(1, setup.n / 10);
    const QString text = PasteBlock(rows);
    m.extra().insert(QStringLiteral("pasted_rows"), rows);
    m.extra().insert(QStringLiteral("pasted_mb"), double(text.size()) / 1e6);
    m.baseline([&] {
        QElapsedTimer timer;
        timer.start();
        std::vector<QString> cells;
        for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
            for (const QStringView cell : line.split(u'\t'))
                cells.push_back(cell.toString());
        }
        const double seconds = Seconds(timer);
        m.check(qint64(cells.size()) == rows * ClerkFieldCount, QStringLiteral("baseline cells"));
        return seconds;
    });
    frmMain *window = frmMain::instance();
    ShowAndPaint(window);
    FlexGrid *grid = GridOf(window);
    const int loaded = grid->Rows();
    std::vector<double> undo;
    double added = 0;
    m.module([&] {
        QApplication::clipboard()->setText(text);
        grid->Select(loaded - 1, ClerkColumns::GridCol(0)); // the new-entry row's first field
        const double before = ResidentMemoryMb();
        ResetPeakMemory();
        QElapsedTimer timer;
        timer.start();
        window->Paste();
        const double seconds = Seconds(timer);
        added = std::max(added, PeakMemoryMb() - before);
        m.check(grid->Rows() == loaded + rows, QStringLiteral("rows after the paste"));
        m.check(grid->TextMatrix(loaded + int(rows) - 2, ClerkColumns::GridCol(ClerkFieldCount - 1))
                    .endsWith(QString::number(rows)),
                QStringLiteral("the last pasted row"));
        timer.restart();
        window->Undo();
        undo.push_back(Seconds(timer));
        m.check(grid->Rows() == loaded, QStringLiteral("rows after the undo"));
        return seconds;
    });
    m.extra().insert(QStringLiteral("undo_s"), Median(undo));
    m.extra().insert(QStringLiteral("paste_added_mb"), added);
    CloseAndDelete(window);
}

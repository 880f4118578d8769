#include "Scenarios.h"

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/Session.h"
#include "DatagramCounter.h"
#include "DataSets.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "DeliveryScenario.h"
#include "FailoverScenario.h"
#include "Measurement.h"
#include "notice/frmNotice.h"
#include "notice/NoticeStatements.h"
#include "print/cryClerk.h"
#include "print/ReportExport.h"
#include "ScreenScenarios.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "search/NoticeQuery.h"
#include "staff/frmHistory.h"
#include "staff/frmMain.h"
#include "staff/HistoryStatements.h"
#include "staff/StaffStatements.h"
#include "widgets/FlexGrid.h"

#include <algorithm>
#include <functional>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUdpSocket>

namespace {

// The notice window's list query; the baseline must fetch exactly what the window fetches.
const QString NoticeListSql = NoticeStatements::ListQuery();
const QString ReportSql = cryClerk::SourceQuery();
const QString BenchOperator = QStringLiteral("bench");

// Forward-only fetch of every value, on a connection of its own.
// Returns the seconds taken; *rows gets the row count.
double BareFetch(const QString &connection, const QString &sql, qint64 *rows = nullptr)
{
    QElapsedTimer timer;
    timer.start();
    qint64 count = 0;
    qint64 values = 0;
    WithConnection(connection, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        ExecStatement(query, AdaptStatement(sql, EngineOf(db)));
        const int columns = query.record().count();
        while (query.next()) {
            ++count;
            for (int i = 0; i < columns; ++i)
                values += query.value(i).isValid();
        }
    });
    if (rows)
        *rows = count;
    return Seconds(timer);
}

void ShowAndPaint(QWidget *window)
{
    window->show();
    QCoreApplication::processEvents();
    window->repaint();
}

void CloseAndDelete(QWidget *window)
{
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FlexGrid *GridOf(QWidget *window)
{
    return window ? window->findChild<FlexGrid *>(QStringLiteral("vfgMain")) : nullptr;
}

// ---- staff window ----

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

// The history's triggers taken away for one scenario and put back afterwards by --init-db's
// upgrade, so that a save can be timed with and without them on the same data.
class WithoutHistory
{
public:
    WithoutHistory(const QString &connection, bool postgres) : m_connection(connection)
    {
        const QStringList drop = postgres
                                     ? QStringList{"Drop Trigger clerk_history On Clerk",
                                                   "Drop Trigger clerk_history_update On Clerk"}
                                     : QStringList{"Drop Trigger Clerk_History_Insert",
                                                   "Drop Trigger Clerk_History_Update",
                                                   "Drop Trigger Clerk_History_Delete"};
        for (const QString &statement : drop)
            ExecSql(connection, statement);
    }
    ~WithoutHistory()
    {
        QString message;
        if (!InitDatabase(m_connection, &message))
            qWarning("The history was not put back: %s", qPrintable(message));
    }
    WithoutHistory(const WithoutHistory &) = delete;
    WithoutHistory &operator=(const WithoutHistory &) = delete;

private:
    QString m_connection;
};

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

// ---- notice and search windows ----

void NoticeLoad(const ScenarioSetup &setup, Measurement &m)
{
    m.baseline([&] { return BareFetch(setup.connection, NoticeListSql); });
    m.module([&] {
        QElapsedTimer timer;
        timer.start();
        frmNotice *window = frmNotice::instance();
        ShowAndPaint(window);
        const double seconds = Seconds(timer);
        const FlexGrid *grid = GridOf(window);
        m.check(grid && grid->Rows() == setup.n + 1, QStringLiteral("notice grid row count"));
        CloseAndDelete(window);
        m.extra().insert(QStringLiteral("rss_after_close_mb"), ResidentMemoryMb());
        return seconds;
    });
}

// A notice saved elsewhere comes into the open board: the window's own work on the GUI thread,
// against the reload that was done before (the list read again whole).
void NoticeUpdate(const ScenarioSetup &setup, Measurement &m)
{
    frmNotice *window = frmNotice::instance();
    ShowAndPaint(window);
    FlexGrid *grid = GridOf(window);
    int k = 0;
    const auto insert = [&] {
        qint64 id = 0;
        ExcuteInsert(setup.connection,
                     NoticeStatements::Insert(DBType::Jet, QStringLiteral("bench"),
                                              QStringLiteral("arrived %1").arg(++k),
                                              QDateTime(QDate(2099, 1, 1), QTime(0, 0))),
                     QStringLiteral("Notice_ID"), DBType::Jet, &id);
        return id;
    };
    m.baseline([&] {
        insert();
        QElapsedTimer timer;
        timer.start();
        window->RefreshDB();
        return Seconds(timer);
    });
    m.module([&] {
        const qint64 id = insert();
        QElapsedTimer timer;
        timer.start();
        window->NoticesChanged({id});
        const double seconds = Seconds(timer);
        m.check(grid->TextMatrix(1, NoticeKeyCol) == QString::number(id),
                QStringLiteral("the new notice is not at the top of the board"));
        return seconds;
    });
    m.check(grid->Rows() == setup.n + k + 1, QStringLiteral("notice grid row count"));
    CloseAndDelete(window);
}

void NoticeSearch(const ScenarioSetup &setup, Measurement &m)
{
    const QString sql = NoticeQuerySQL(DataSets::SearchPublisher(), true, DataSets::SearchFrom(),
                                       DataSets::SearchTo(), Session().gintDBType);
    qint64 expected = 0;
    BareFetch(setup.connection, sql, &expected);
    m.baseline([&] { return BareFetch(setup.connection, sql); });
    m.extra().insert(QStringLiteral("found"), expected);

    // The search window is opened from the notice window, which is loaded by then.
    frmNotice::instance();
    frmQueryNotice *window = frmQueryNotice::instance();
    window->findChild<QLineEdit *>(QStringLiteral("txtPublisher"))
        ->setText(DataSets::SearchPublisher());
    window->findChild<QCheckBox *>(QStringLiteral("chkTime"))->setChecked(true);
    window->findChild<QDateEdit *>(QStringLiteral("dtpFrom"))->setDate(DataSets::SearchFrom());
    window->findChild<QDateEdit *>(QStringLiteral("dtpTo"))->setDate(DataSets::SearchTo());
    // One match would close the window after the first run.
    m.check(expected > 1, QStringLiteral("the search data finds fewer than two notices"));
    if (expected <= 1)
        return;
    m.module([&] {
        QElapsedTimer timer;
        timer.start();
        window->Query();
        const double seconds = Seconds(timer);
        const FlexGrid *grid = GridOf(window);
        m.check(grid && grid->Rows() - 1 == expected, QStringLiteral("search result count"));
        return seconds;
    });
    frmNotice::Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---- broadcast ----

void Broadcast(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    const quint16 remotePort = FreeUdpPort();
    DatagramCounter counter(remotePort);
    quint16 localPort = FreeUdpPort();
    while (localPort == remotePort)
        localPort = FreeUdpPort();
    home.writeConfig(localPort, remotePort);

    qint64 baselineLost = 0;
    m.baseline([&] {
        const qint64 before = counter.count();
        QElapsedTimer timer;
        timer.start();
        const QList<QVariantList> users =
            QueryRows(setup.connection, QStringLiteral("Select * From OnLine"));
        QUdpSocket socket;
        socket.bind(QHostAddress::AnyIPv4, 0);
        const QByteArray datagram = QByteArrayLiteral("###Notice###~!bench~!Broadcast");
        for (const QVariantList &user : users)
            socket.writeDatagram(datagram, QHostAddress(user.at(0).toString()), remotePort);
        const double seconds = Seconds(timer);
        baselineLost =
            std::max(baselineLost, setup.n - (counter.waitFor(before + setup.n) - before));
        return seconds;
    });

    frmNotice *window = frmNotice::instance();
    qint64 lost = 0;
    m.module([&] {
        const qint64 before = counter.count();
        QElapsedTimer timer;
        timer.start();
        window->SendAllUserMsg(BenchOperator, QStringLiteral("Broadcast"));
        const double seconds = Seconds(timer);
        lost = std::max(lost, setup.n - (counter.waitFor(before + setup.n) - before));
        return seconds;
    });
    CloseAndDelete(window);
    m.check(counter.lastDatagram() == QByteArrayLiteral("###Notice###~!bench~!Broadcast"),
            QStringLiteral("datagram text"));
    m.check(lost == 0, QStringLiteral("datagrams lost on loopback"));
    const double median = m.moduleMedian();
    m.extra().insert(QStringLiteral("datagrams_per_s"), median > 0 ? double(setup.n) / median : 0);
    m.extra().insert(QStringLiteral("lost"), lost);
    m.extra().insert(QStringLiteral("baseline_lost"), baselineLost);
}

// ---- staff report ----

// The report's strings drawn where the report places them, with nothing else: no layout, no
// lookups, no eliding, no lines or shading.
double BarePainter(const Report &report, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(file);
    writer.setPageLayout(report.PageLayout());
    QPainter painter(&writer);
    const double scale = writer.logicalDpiX() / 25.4;
    for (int page = 1; page <= report.PageCount(); ++page) {
        if (page > 1)
            writer.newPage();
        for (const Report::PlacedText &text : report.PageTexts(page)) {
            painter.setFont(text.Font);
            const QRectF &r = text.Rect;
            painter.drawText(
                QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale),
                int(text.Align) | Qt::TextSingleLine, text.Text);
        }
    }
    painter.end();
    return Seconds(timer);
}

void ReportPdf(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    const QString file = home.path() + QStringLiteral("/staff.pdf");
    cryClerk laidOut;
    laidOut.SetDataSource(GetRecordset(setup.connection, ReportSql));
    laidOut.ReadRecords();
    m.baseline([&] {
        return BareFetch(setup.connection, ReportSql) +
               BarePainter(laidOut, home.path() + QStringLiteral("/bare.pdf"));
    });
    int pages = 0;
    m.module([&] {
        QFile::remove(file);
        QElapsedTimer timer;
        timer.start();
        // As the preview window loads it and its Export writes it.
        cryClerk report;
        std::shared_ptr<Recordset> records = GetRecordset(setup.connection, ReportSql);
        m.check(records && records->RecordCount() == setup.n, QStringLiteral("report rows"));
        if (!records)
            return Seconds(timer);
        report.SetDataSource(records);
        report.ReadRecords();
        ExportReportPdf(report, file);
        const double seconds = Seconds(timer);
        pages = report.PageCount();
        m.check(report.RecordCount() == setup.n, QStringLiteral("report record count"));
        return seconds;
    });
    m.check(pages > 0 && QFileInfo(file).size() > 1000, QStringLiteral("PDF written"));
    const double median = m.moduleMedian();
    m.extra().insert(QStringLiteral("pages"), pages);
    m.extra().insert(QStringLiteral("pages_per_s"), median > 0 ? pages / median : 0);
}

} // namespace

QStringList ScenarioNames()
{
    return {QStringLiteral("staff_load"),
            QStringLiteral("staff_open"),
            QStringLiteral("staff_scroll"),
            QStringLiteral("staff_save_one"),
            QStringLiteral("staff_save_one_nohistory"),
            QStringLiteral("staff_save_d0"),
            QStringLiteral("staff_save_d0_nohistory"),
            QStringLiteral("staff_save_d1"),
            QStringLiteral("history_open"),
            QStringLiteral("staff_paste"),
            QStringLiteral("notice_load"),
            QStringLiteral("notice_update"),
            QStringLiteral("notice_search"),
            QStringLiteral("broadcast"),
            QStringLiteral("report_pdf"),
            QStringLiteral("notice_delivery"),
            QStringLiteral("failover")};
}

bool ScenarioFits(const QString &name, bool postgres, qint64 n)
{
    // Twenty seconds of notices a run; the board's size hardly matters to it.
    if (name == QLatin1String("notice_delivery"))
        return n <= 1000;
    // A failover needs PostgreSQL and servers of its own; the directory's size hardly matters.
    if (name == QLatin1String("failover"))
        return postgres && n <= 1000;
    // N history rows, a million only.
    if (name == QLatin1String("history_open"))
        return n == 1000000;
    return name.startsWith(QLatin1String("notice_")) || n <= 100000;
}

QJsonObject RunScenario(const ScenarioSetup &setup)
{
    BenchHome home;
    OpenSession(setup.connection, BenchOperator, DBType::TransactSql);
    Measurement m(setup);
    try {
        if (setup.name == QLatin1String("staff_load"))
            StaffLoad(setup, m);
        else if (setup.name == QLatin1String("staff_open"))
            StaffOpen(setup, m, home);
        else if (setup.name == QLatin1String("staff_scroll"))
            StaffScroll(setup, m);
        else if (setup.name == QLatin1String("staff_save_one"))
            StaffSaveOne(setup, m);
        else if (setup.name == QLatin1String("staff_save_one_nohistory")) {
            const WithoutHistory bare(setup.connection, setup.postgres);
            StaffSaveOne(setup, m);
        } else if (setup.name == QLatin1String("staff_save_d0"))
            StaffSave(setup, m, DBType::TransactSql);
        else if (setup.name == QLatin1String("staff_save_d0_nohistory")) {
            const WithoutHistory bare(setup.connection, setup.postgres);
            StaffSave(setup, m, DBType::TransactSql);
        } else if (setup.name == QLatin1String("history_open"))
            HistoryOpen(setup, m);
        else if (setup.name == QLatin1String("staff_save_d1"))
            StaffSave(setup, m, DBType::Jet);
        else if (setup.name == QLatin1String("staff_paste"))
            StaffPaste(setup, m);
        else if (setup.name == QLatin1String("notice_load"))
            NoticeLoad(setup, m);
        else if (setup.name == QLatin1String("notice_update"))
            NoticeUpdate(setup, m);
        else if (setup.name == QLatin1String("notice_search"))
            NoticeSearch(setup, m);
        else if (setup.name == QLatin1String("broadcast"))
            Broadcast(setup, m, home);
        else if (setup.name == QLatin1String("report_pdf"))
            ReportPdf(setup, m, home);
        else if (setup.name == QLatin1String("notice_delivery"))
            NoticeDelivery(setup, m, home);
        else if (setup.name == QLatin1String("failover"))
            Failover(setup, m, home);
        else
            m.check(false, QStringLiteral("unknown scenario ") + setup.name);
    } catch (const std::exception &error) {
        m.check(false, ErrorText(error));
    }
    return m.result(home);
}

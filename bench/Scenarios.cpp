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
#include "db/SqlDialect.h"
#include "notice/frmNotice.h"
#include "notice/NoticeStatements.h"
#include "print/cryClerk.h"
#include "print/ReportExport.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeQuery.h"
#include "staff/frmMain.h"
#include "staff/StaffStatements.h"
#include "widgets/FlexGrid.h"

#include <algorithm>
#include <functional>
#include <QApplication>
#include <QCheckBox>
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

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

class Measurement
{
public:
    explicit Measurement(const ScenarioSetup &setup) : m_setup(setup) {}

    // The baseline runs in turn with the module's path, so that the machine's drifts reach both.
    void baseline(std::function<double()> run) { m_baselineRun = std::move(run); }
    void module(const std::function<double()> &run)
    {
        double total = 0;
        for (int i = 0; i < m_setup.runs && total <= m_setup.budgetSeconds; ++i) {
            if (m_baselineRun)
                m_baseline.push_back(m_baselineRun());
            m_module.push_back(run());
            total += m_module.back();
        }
    }
    void check(bool ok, const QString &what)
    {
        if (!ok && !m_failures.contains(what))
            m_failures << what;
    }
    QJsonObject &extra() { return m_extra; }
    double moduleMedian() const { return Median(m_module); }

    QJsonObject result(const BenchHome &home) const
    {
        QStringList failures = m_failures;
        const QString log = home.errorLog();
        if (!log.isEmpty())
            failures << QStringLiteral("Errlog.txt: ") + log.left(400);
        const double median = Median(m_module);
        const double base = Median(m_baseline);
        return QJsonObject{{QStringLiteral("median_s"), median},
                           {QStringLiteral("baseline_s"), base},
                           {QStringLiteral("ratio"), base > 0 ? median / base : 0.0},
                           {QStringLiteral("runs"), int(m_module.size())},
                           {QStringLiteral("peak_mb"), PeakMemoryMb()},
                           {QStringLiteral("extra"), m_extra},
                           {QStringLiteral("failures"), QJsonArray::fromStringList(failures)}};
    }

private:
    const ScenarioSetup &m_setup;
    std::function<double()> m_baselineRun;
    std::vector<double> m_module;
    std::vector<double> m_baseline;
    QStringList m_failures;
    QJsonObject m_extra;
};

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

// The statements the module sends for these rows, adapted for the engine, built beforehand.
QStringList SaveStatements(const QString &connection, const QList<QVariantList> &rows)
{
    QStringList statements;
    SqlEngine engine = SqlEngine::Passthrough;
    WithConnection(connection, [&engine](QSqlDatabase &db) { engine = EngineOf(db); });
    for (const QVariantList &row : rows) {
        QStringList cells;
        for (const QVariant &value : row)
            cells << DatabaseValueText(value);
        QString text;
        StaffStatements::AppendRow(text, cells);
        statements << AdaptBatch(text, engine);
    }
    return statements;
}

// Runs the statements on one connection: all in one transaction, or each in its own.
double RunStatements(const QString &connection, const QStringList &statements, bool oneTransaction)
{
    QElapsedTimer timer;
    timer.start();
    WithConnection(connection, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        if (oneTransaction)
            db.transaction();
        for (const QString &statement : statements) {
            if (!oneTransaction)
                db.transaction();
            ExecStatement(query, statement);
            if (!oneTransaction)
                db.commit();
        }
        if (oneTransaction)
            db.commit();
    });
    return Seconds(timer);
}

// One prepared, bound Update per row in one transaction: the engine's own speed.
double BoundUpdates(const QString &connection, const QList<QVariantList> &rows)
{
    QElapsedTimer timer;
    timer.start();
    WithConnection(connection, [&](QSqlDatabase &db) {
        if (!db.transaction())
            throw ArdentaError(QStringLiteral("Cannot begin a transaction"));
        QSqlQuery query(db);
        QString sql = QStringLiteral("Update Clerk Set ");
        for (int f = 0; f < ClerkFieldCount; ++f)
            sql += QLatin1String(ClerkFields[size_t(f)].Name) +
                   QLatin1String(f + 1 < ClerkFieldCount ? "=?," : "=?");
        query.prepare(sql + QStringLiteral(" Where Clerk_ID=?"));
        for (const QVariantList &row : rows) {
            for (int f = 0; f < ClerkFieldCount; ++f)
                query.bindValue(f, row.at(f + 1));
            query.bindValue(ClerkFieldCount, row.at(0));
            if (!query.exec())
                throw ArdentaError(QStringLiteral("Bound update failed"));
        }
        db.commit();
    });
    return Seconds(timer);
}

void StaffSave(const ScenarioSetup &setup, Measurement &m, qint16 dialect)
{
    const QList<QVariantList> rows = QueryRows(setup.connection, ReportSql);
    m.check(rows.size() == setup.n, QStringLiteral("staff rows before saving"));
    const QStringList statements = SaveStatements(setup.connection, rows);
    // Dialect 0 at best runs the texts in one transaction, dialect 1 one transaction each.
    m.baseline([&] { return RunStatements(setup.connection, statements, dialect == 0); });
    if (dialect == 0) {
        std::vector<double> bound;
        for (int i = 0; i < std::min(setup.runs, 3); ++i)
            bound.push_back(BoundUpdates(setup.connection, rows));
        m.extra().insert(QStringLiteral("bound_update_s"), Median(bound));
    }

    Session().gintDBType = dialect;
    frmMain *window = frmMain::instance();
    ShowAndPaint(window);
    MessageAnswerer answerer;
    double added = 0;
    m.module([&] {
        answerer.clear();
        const double before = ResidentMemoryMb();
        ResetPeakMemory();
        const qint64 start = answerer.clock().nsecsElapsed();
        window->SaveData();
        const qint64 end = answerer.clock().nsecsElapsed();
        added = std::max(added, PeakMemoryMb() - before);
        const auto &seen = answerer.seen();
        const bool saved = seen.size() == 1 && seen.front().icon == QMessageBox::Information;
        m.check(saved, QStringLiteral("SaveData did not answer with one \"Saved!\" box"));
        // The save ends where its confirmation appears; the answer's wait is left out.
        return double((saved ? seen.front().shownAtNs : end) - start) / 1e9;
    });
    CloseAndDelete(window);
    m.extra().insert(QStringLiteral("save_added_mb"), added);
    m.check(QueryCount(setup.connection, QStringLiteral("Select Count(*) From Clerk")) == setup.n,
            QStringLiteral("staff row count after saving"));
    m.check(QueryCount(setup.connection,
                       QStringLiteral("Select Count(*) From Clerk Where Clerk_Memo="
                                      "'Memo for staff member '||Clerk_ID And Clerk_NO='E'||"
                                      "Clerk_ID")) == setup.n,
            QStringLiteral("staff values changed by saving them unchanged"));
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
    laidOut.SetDataSource(GetRecordset(ReportSql));
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
        std::shared_ptr<Recordset> records = GetRecordset(ReportSql);
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
    return {QStringLiteral("staff_load"),    QStringLiteral("staff_save_d0"),
            QStringLiteral("staff_save_d1"), QStringLiteral("notice_load"),
            QStringLiteral("notice_search"), QStringLiteral("broadcast"),
            QStringLiteral("report_pdf")};
}

bool ScenarioFits(const QString &name, qint64 n)
{
    return name.startsWith(QLatin1String("notice_")) || n <= 100000;
}

QJsonObject RunScenario(const ScenarioSetup &setup)
{
    BenchHome home;
    OpenSession(setup.connection, BenchOperator, 0);
    Measurement m(setup);
    try {
        if (setup.name == QLatin1String("staff_load"))
            StaffLoad(setup, m);
        else if (setup.name == QLatin1String("staff_save_d0"))
            StaffSave(setup, m, 0);
        else if (setup.name == QLatin1String("staff_save_d1"))
            StaffSave(setup, m, 1);
        else if (setup.name == QLatin1String("notice_load"))
            NoticeLoad(setup, m);
        else if (setup.name == QLatin1String("notice_search"))
            NoticeSearch(setup, m);
        else if (setup.name == QLatin1String("broadcast"))
            Broadcast(setup, m, home);
        else if (setup.name == QLatin1String("report_pdf"))
            ReportPdf(setup, m, home);
        else
            m.check(false, QStringLiteral("unknown scenario ") + setup.name);
    } catch (const std::exception &error) {
        m.check(false, ErrorText(error));
    }
    return m.result(home);
}

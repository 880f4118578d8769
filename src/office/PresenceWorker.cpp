#include "office/PresenceWorker.h"

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace {

// The server's clock, to the second, in each engine's words.
QString serverNow(SqlEngine engine)
{
    switch (engine) {
    case SqlEngine::SQLite:
        return QStringLiteral("datetime('now')");
    case SqlEngine::PostgreSQL:
        return QStringLiteral("LOCALTIMESTAMP(0)");
    case SqlEngine::Passthrough:
        break;
    }
    return QStringLiteral("GETDATE()");
}

QString secondsAgo(SqlEngine engine, int seconds)
{
    switch (engine) {
    case SqlEngine::SQLite:
        return QStringLiteral("datetime('now','-%1 seconds')").arg(seconds);
    case SqlEngine::PostgreSQL:
        return QStringLiteral("LOCALTIMESTAMP - interval '%1 seconds'").arg(seconds);
    case SqlEngine::Passthrough:
        break;
    }
    return QStringLiteral("DATEADD(second,-%1,GETDATE())").arg(seconds);
}

void exec(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    if (!query.prepare(statement))
        throw ArdentaError(DatabaseErrorText(query.lastError()));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw ArdentaError(DatabaseErrorText(query.lastError()));
}

} // namespace

PresenceWorker::PresenceWorker(Presence::Options options)
    : m_options(std::move(options)), m_timer(this)
{
    m_timer.setInterval(m_options.refreshSeconds * 1000);
    connect(&m_timer, &QTimer::timeout, this, &PresenceWorker::refresh);
}

void PresenceWorker::start()
{
    run([this](QSqlDatabase &db, SqlEngine engine) { enter(db, engine); });
    m_timer.start();
}

void PresenceWorker::run(const std::function<void(QSqlDatabase &, SqlEngine)> &work)
{
    try {
        WithConnection(m_options.connection, [&](QSqlDatabase &db) {
            const SqlEngine engine = EngineOf(db);
            if (!m_knowsColumns) {
                QSqlQuery probe(db);
                ExecStatement(probe, QStringLiteral("Select * From OnLine Where 1=0"));
                const QSqlRecord record = probe.record();
                for (const char *column : {"UserName", "LoginTime", "LastSeen"}) {
                    if (record.indexOf(QLatin1String(column)) >= 0)
                        m_columns << QString::fromLatin1(column);
                }
                m_knowsColumns = true;
            }
            if (!db.transaction())
                throw ArdentaError(DatabaseErrorText(db.lastError()));
            work(db, engine);
            if (!db.commit())
                throw ArdentaError(DatabaseErrorText(db.lastError()));
        });
        m_down = false;
    } catch (const std::exception &e) {
        if (!m_down)
            Q_EMIT outage(ErrorText(e));
        m_down = true;
    }
}

// One row for the address, never a second: a row left by a host that ended without leaving is
// taken over.
void PresenceWorker::enter(QSqlDatabase &db, SqlEngine engine)
{
    QSqlQuery query(db);
    exec(query, QStringLiteral("Delete From OnLine Where UserIP=?"), {m_options.address});
    QString columns = QStringLiteral("UserIP");
    QString values = QStringLiteral("?");
    QVariantList bound{m_options.address};
    for (const QString &column : m_columns) {
        columns += u',' + column;
        if (column == QLatin1String("UserName")) {
            values += QStringLiteral(",?");
            bound << m_options.userName;
        } else {
            values += u',' + serverNow(engine);
        }
    }
    exec(query, QStringLiteral("Insert Into OnLine(%1) Values(%2)").arg(columns, values), bound);
}

void PresenceWorker::refresh()
{
    run([this](QSqlDatabase &db, SqlEngine engine) {
        QSqlQuery query(db);
        if (!m_columns.contains(QLatin1String("LastSeen"))) {
            exec(query, QStringLiteral("Select Count(*) From OnLine Where UserIP=?"),
                 {m_options.address});
            if (!query.next() || query.value(0).toInt() != 1)
                enter(db, engine);
            return;
        }
        exec(query,
             QStringLiteral("Update OnLine Set LastSeen=%1 Where UserIP=?").arg(serverNow(engine)),
             {m_options.address});
        if (query.numRowsAffected() != 1) // aged out by another host during an outage
            enter(db, engine);
        exec(query,
             QStringLiteral("Delete From OnLine Where LastSeen<%1")
                 .arg(secondsAgo(engine, 5 * m_options.refreshSeconds)),
             {});
    });
}

void PresenceWorker::leave()
{
    m_timer.stop();
    run([this](QSqlDatabase &db, SqlEngine) {
        QSqlQuery query(db);
        exec(query, QStringLiteral("Delete From OnLine Where UserIP=?"), {m_options.address});
    });
    QThread::currentThread()->quit();
}

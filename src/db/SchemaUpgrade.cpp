#include "db/SchemaUpgrade.h"

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "db/HistorySchema.h"
#include "db/SchemaScript.h"
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <vector>

namespace {

// A step returns what it added, or a null string when there was nothing to add.
using Step = QString (*)(QSqlDatabase &db, SqlEngine engine);

// OnLine's columns beyond UserIP, which an OnLine made for the original may lack. SQLite adds no
// column with a computed default, so there the host program writes the time itself.
struct OnLineColumn
{
    const char *name;
    const char *sqlite;
    const char *postgresql;
    const char *sqlserver;
};
constexpr OnLineColumn onLineColumns[] = {
    {"UserName", "TEXT", "text", "nvarchar(50) NULL"},
    {"LoginTime", "TEXT", "timestamp(0) without time zone", "datetime NULL"},
    {"LastSeen", "TEXT", "timestamp(0) without time zone DEFAULT LOCALTIMESTAMP(0)",
     "datetime NULL DEFAULT GETDATE()"},
};

QString completeOnLine(QSqlDatabase &db, SqlEngine engine)
{
    QSqlQuery probe(db);
    ExecStatement(probe, QStringLiteral("Select * From OnLine Where 1=0"));
    const QSqlRecord record = probe.record();
    probe.finish();
    QStringList added;
    for (const OnLineColumn &column : onLineColumns) {
        if (record.indexOf(QLatin1String(column.name)) >= 0)
            continue;
        const char *type = engine == SqlEngine::SQLite       ? column.sqlite
                           : engine == SqlEngine::PostgreSQL ? column.postgresql
                                                             : column.sqlserver;
        QSqlQuery alter(db);
        ExecStatement(alter, QStringLiteral("ALTER TABLE OnLine ADD %1%2 %3")
                                 .arg(engine == SqlEngine::Passthrough ? "" : "COLUMN ",
                                      QLatin1String(column.name), QLatin1String(type)));
        added << QLatin1String(column.name);
    }
    if (added.isEmpty())
        return {};
    return QStringLiteral("the columns %1 to OnLine").arg(added.join(QStringLiteral(", ")));
}

// The trigger that announces notice changes. Up to date when Notice's trigger runs a function
// whose body is the script's: a later version's body differs, and the script replaces it.
QString announceNotices(QSqlDatabase &db, SqlEngine)
{
    const QString script = ReadSchemaScript(QStringLiteral(":/schema/postgresql-announce.sql"));
    QSqlQuery probe(db);
    ExecStatement(probe, QStringLiteral("Select p.prosrc From pg_trigger t Join pg_proc p On "
                                        "p.oid=t.tgfoid Where t.tgname='notice_announce' And "
                                        "t.tgrelid=to_regclass('notice')"));
    const QString body = probe.next() ? probe.value(0).toString().trimmed() : QString();
    probe.finish();
    if (!body.isEmpty() && script.contains(body))
        return {};
    RunScriptStatements(db, script);
    return QStringLiteral("the trigger that announces notice changes");
}

const std::vector<Step> &stepsFor(SqlEngine engine)
{
    static const std::vector<Step> sqlite{completeOnLine, KeepClerkHistorySqlite};
    static const std::vector<Step> postgresql{completeOnLine, announceNotices,
                                              KeepClerkHistoryPostgreSql};
    static const std::vector<Step> other{completeOnLine};
    switch (engine) {
    case SqlEngine::SQLite:
        return sqlite;
    case SqlEngine::PostgreSQL:
        return postgresql;
    case SqlEngine::Passthrough:
        break;
    }
    return other;
}

} // namespace

QStringList UpgradeSchema(QSqlDatabase &db, const QString &schemaScript)
{
    const SqlEngine engine = EngineOf(db);
    if (!db.transaction())
        throw ArdentaError(DatabaseErrorText(db.lastError()));
    try {
        if (!schemaScript.isEmpty())
            RunScriptStatements(db, schemaScript);
        QStringList added;
        for (const Step step : stepsFor(engine)) {
            if (const QString what = step(db, engine); !what.isNull())
                added << what;
        }
        if (!db.commit())
            throw ArdentaError(DatabaseErrorText(db.lastError()));
        return added;
    } catch (...) {
        db.rollback();
        throw;
    }
}

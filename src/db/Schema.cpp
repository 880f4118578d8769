#include "db/Schema.h"

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "db/SchemaScript.h"
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QStringList &schemaObjects()
{
    static const QStringList objects{QStringLiteral("Clerk"), QStringLiteral("Notice"),
                                     QStringLiteral("OnLine"), QStringLiteral("Vw_Clerk")};
    return objects;
}

QString scriptFor(SqlEngine engine)
{
    switch (engine) {
    case SqlEngine::SQLite:
        return QStringLiteral(":/schema/sqlite.sql");
    case SqlEngine::PostgreSQL:
        return QStringLiteral(":/schema/postgresql.sql");
    case SqlEngine::Passthrough:
        break;
    }
    return QStringLiteral(":/schema/sqlserver.sql");
}

// Asking for no rows works the same on every engine and needs no catalogue queries.
bool objectExists(QSqlDatabase &db, const QString &name)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("Select * From ") + name + QStringLiteral(" Where 1=0"));
}

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

// Adds what OnLine lacks; the names of the added columns.
QStringList completeOnLine(QSqlDatabase &db, SqlEngine engine)
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
    return added;
}

} // namespace

bool InitDatabase(const QString &connection, QString *message)
{
    QString text;
    bool ok = false;
    try {
        WithConnection(
            connection,
            [&](QSqlDatabase &db) {
                QStringList present;
                QStringList missing;
                for (const QString &name : schemaObjects())
                    (objectExists(db, name) ? present : missing) << name;
                if (missing.isEmpty()) {
                    const QStringList added = completeOnLine(db, EngineOf(db));
                    text = added.isEmpty()
                               ? QStringLiteral("The database already has %1; nothing was "
                                                "changed.")
                                     .arg(present.join(QStringLiteral(", ")))
                               : QStringLiteral("The database already has %1; added the "
                                                "columns %2 to OnLine.")
                                     .arg(present.join(QStringLiteral(", ")),
                                          added.join(QStringLiteral(", ")));
                    ok = true;
                    return;
                }
                if (!present.isEmpty()) {
                    text = QStringLiteral("The database has %1 but lacks %2; it was left "
                                          "unchanged. Create the missing objects by hand or "
                                          "start from an empty database.")
                               .arg(present.join(QStringLiteral(", ")),
                                    missing.join(QStringLiteral(", ")));
                    return;
                }
                RunSchemaScript(db, scriptFor(EngineOf(db)));
                text = QStringLiteral("Created the tables Clerk, Notice, OnLine and the view "
                                      "Vw_Clerk.");
                ok = true;
            },
            true);
    } catch (const std::exception &e) {
        text = QStringLiteral("The schema could not be created: ") + ErrorText(e);
        ok = false;
    }
    if (message)
        *message = text;
    return ok;
}

bool CheckDatabase(const QString &connection, QString *message)
{
    bool ok = false;
    try {
        WithConnection(connection, [&](QSqlDatabase &db) {
            QStringList missing;
            for (const QString &name : schemaObjects()) {
                if (!objectExists(db, name))
                    missing << name;
            }
            ok = missing.isEmpty();
            *message = ok ? QStringLiteral("Connected; the tables and the view are there.")
                          : QStringLiteral("Connected, but the database lacks %1; ardenta "
                                           "--init-db creates them.")
                                .arg(missing.join(QStringLiteral(", ")));
        });
    } catch (const std::exception &e) {
        *message = ErrorText(e);
    }
    return ok;
}

#include "host/Schema.h"

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/SqlDialect.h"

#include <QFile>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
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

void runScript(QSqlDatabase &db, const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw ArdentaError(QStringLiteral("The schema script %1 is missing.").arg(resource));
    const QString script = QString::fromUtf8(file.readAll());
    if (!db.transaction())
        throw ArdentaError(db.lastError().text());
    try {
        QSqlQuery query(db);
        for (const QString &statement : SplitScript(script))
            ExecStatement(query, statement);
        query.finish();
        if (!db.commit())
            throw ArdentaError(db.lastError().text());
    } catch (...) {
        db.rollback();
        throw;
    }
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
                runScript(db, scriptFor(EngineOf(db)));
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

namespace Security {

namespace {
// True for PostgreSQL (directly or through ODBC); otherwise *message says why not.
bool onPostgreSql(QSqlDatabase &db, QString *message)
{
    if (EngineOf(db) == SqlEngine::PostgreSQL)
        return true;
    *message = QStringLiteral("Only a PostgreSQL database can be secured with logins and "
                              "row-level security; this connection reaches another engine.");
    return false;
}

// 2 when the string names a database that is surely not PostgreSQL, without touching it (a
// SQLite file would be made); 0 otherwise.
int refuseOtherEngines(const QString &connection, QString *message)
{
    const ConnectionSettings settings = ParseConnectionString(connection);
    if (settings.backend == DbBackend::PostgreSQL || settings.backend == DbBackend::ODBC)
        return 0;
    *message = settings.isValid() ? QStringLiteral("Only a PostgreSQL database can be secured "
                                                   "with logins and row-level security.")
                                  : settings.error;
    return 2;
}

QString quotedName(QString name)
{
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}
} // namespace

int SecureDatabase(const QString &connection, QString *message)
{
    if (const int refused = refuseOtherEngines(connection, message))
        return refused;
    try {
        // Behind ODBC only the driver knows the engine: ask before making any table.
        bool postgres = false;
        WithConnection(connection, [&](QSqlDatabase &db) { postgres = onPostgreSql(db, message); });
        if (!postgres)
            return 2;
        // The tables first: on a new database the secured one is made in one go.
        if (!InitDatabase(connection, message))
            return 1;
        const QString created = *message;
        WithConnection(connection, [&](QSqlDatabase &db) {
            runScript(db, QStringLiteral(":/schema/postgresql-secure.sql"));
        });
        *message = created + QStringLiteral(" Notice and OnLine are under row-level security; the "
                                            "groups staff_readers, notice_writers and "
                                            "staff_editors are ready for ardenta --grant.");
        return 0;
    } catch (const std::exception &e) {
        *message = QStringLiteral("The database could not be secured: ") + ErrorText(e);
        return 1;
    }
}

int Grant(const QString &connection, const QString &login, const QString &group, QString *message)
{
    static const QHash<QString, QString> groups{
        {QStringLiteral("reader"), QStringLiteral("staff_readers")},
        {QStringLiteral("notice"), QStringLiteral("notice_writers")},
        {QStringLiteral("staff"), QStringLiteral("staff_editors")}};
    if (!groups.contains(group)) {
        *message = QStringLiteral("Unknown group \"%1\": reader, notice or staff.").arg(group);
        return 2;
    }
    if (const int refused = refuseOtherEngines(connection, message))
        return refused;
    int status = 1;
    try {
        WithConnection(connection, [&](QSqlDatabase &db) {
            if (!onPostgreSql(db, message)) {
                status = 2;
                return;
            }
            QSqlQuery query(db);
            query.prepare(QStringLiteral("Select rolcanlogin From pg_roles Where rolname=?"));
            query.addBindValue(login);
            if (!query.exec())
                throw ArdentaError(DatabaseErrorText(query.lastError()));
            if (!query.next() || !query.value(0).toBool()) {
                *message = QStringLiteral("There is no login \"%1\"; create it first, e.g. "
                                          "CREATE ROLE %2 LOGIN.")
                               .arg(login, quotedName(login));
                status = 2;
                return;
            }
            ExecStatement(
                query,
                QStringLiteral("GRANT %1 TO %2").arg(groups.value(group), quotedName(login)));
            *message = QStringLiteral("%1 is a member of %2.").arg(login, groups.value(group));
            status = 0;
        });
    } catch (const std::exception &e) {
        *message = ErrorText(e);
    }
    return status;
}

bool ReadIdentity(const QString &connection, Identity *identity, QString *error)
{
    try {
        WithConnection(connection, [&](QSqlDatabase &db) {
            *identity = Identity();
            if (EngineOf(db) != SqlEngine::PostgreSQL)
                return;
            QSqlQuery query(db);
            ExecStatement(query, QStringLiteral("Select session_user, Coalesce((Select "
                                                "relrowsecurity From pg_class Where "
                                                "oid=to_regclass('notice')), false)"));
            if (query.next())
                *identity = {query.value(0).toString(), query.value(1).toBool()};
        });
    } catch (const std::exception &e) {
        *error = ErrorText(e);
        return false;
    }
    return true;
}

} // namespace Security

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

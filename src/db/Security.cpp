#include "db/Security.h"

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaScript.h"
#include "db/SqlDialect.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

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
            RunSchemaScript(db, QStringLiteral(":/schema/postgresql-secure.sql"));
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

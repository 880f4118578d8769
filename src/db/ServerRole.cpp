#include "db/ServerRole.h"

#include "common/ArdentaError.h"
#include "db/ConnectionString.h"
#include "db/Database.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

// Over a Unix socket the server has no address: its socket folder names it. Only superusers
// and pg_read_all_settings may read the setting; others get the folder the string names.
QString socketFolder(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("Select current_setting('unix_socket_directories')")) &&
        query.next())
        return query.value(0).toString();
    return db.hostName().isEmpty() ? QStringLiteral("/var/run/postgresql") // libpq's default
                                   : db.hostName();
}

} // namespace

bool ReadServerRole(const QString &connection, ServerRole *role, QString *reason)
{
    *role = ServerRole();
    try {
        WithConnection(connection, [role](QSqlDatabase &db) {
            if (db.driverName() != QLatin1String("QPSQL"))
                return;
            QSqlQuery query(db);
            ExecStatement(query, QStringLiteral("Select host(inet_server_addr()), "
                                                "Coalesce(inet_server_port(), "
                                                "current_setting('port')::integer), "
                                                "pg_is_in_recovery()"));
            if (!query.next())
                return;
            role->postgreSql = true;
            role->address = query.value(0).toString();
            role->port = query.value(1).toInt();
            role->acceptsWrites = !query.value(2).toBool();
            if (role->address.isEmpty())
                role->socketFolder = socketFolder(db);
        });
    } catch (const std::exception &e) {
        *reason = MaskPasswordsIn(ErrorText(e), connection);
        return false;
    }
    return true;
}

#include "db/ServerRole.h"

#include "common/ArdentaError.h"
#include "db/ConnectionString.h"
#include "db/Database.h"

#include <QSqlDatabase>
#include <QSqlQuery>

bool ReadServerRole(const QString &connection, ServerRole *role, QString *reason)
{
    *role = ServerRole();
    try {
        WithConnection(connection, [role](QSqlDatabase &db) {
            if (db.driverName() != QLatin1String("QPSQL"))
                return;
            QSqlQuery query(db);
            // inet_server_addr() is Null over a Unix socket: then the folder names the server.
            ExecStatement(query, QStringLiteral("Select host(inet_server_addr()), "
                                                "Coalesce(inet_server_port(), "
                                                "current_setting('port')::integer), "
                                                "current_setting('unix_socket_directories'), "
                                                "pg_is_in_recovery()"));
            if (!query.next())
                return;
            role->postgreSql = true;
            role->address = query.value(0).toString();
            role->port = query.value(1).toInt();
            if (role->address.isEmpty())
                role->socketFolder = query.value(2).toString();
            role->acceptsWrites = !query.value(3).toBool();
        });
    } catch (const std::exception &e) {
        *reason = MaskPasswordsIn(ErrorText(e), connection);
        return false;
    }
    return true;
}

#pragma once

#include <ArdentaExport.h>

#include <QString>

// What ardenta --init-db --secure, --grant and the host's start ask of a PostgreSQL database.
// The exit statuses follow the host program's: 0 done, 1 a database error, 2 asked of the
// wrong thing (another engine, an unknown login or group).
namespace Security {

// Group roles staff_readers, notice_writers and staff_editors with their grants, and row-level
// security (forced) on Notice and OnLine so that a notice is its publisher's login's. Needs the
// schema; running it again changes nothing.
ARDENTA_EXPORT int SecureDatabase(const QString &connection, QString *message);

// Makes an existing login a member of the group "reader", "notice" or "staff".
ARDENTA_EXPORT int Grant(const QString &connection, const QString &login, const QString &group,
                         QString *message);

// Who the connection logs in as, and whether Notice has row-level security: a secured database.
struct ARDENTA_EXPORT Identity
{
    QString login;
    bool secured = false;
};
// False when the database could not be asked (not reached); another engine than PostgreSQL is
// never secured.
ARDENTA_EXPORT bool ReadIdentity(const QString &connection, Identity *identity, QString *error);

} // namespace Security

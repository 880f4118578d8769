#pragma once
// Which server a connection string reaches and whether it takes changes: what the host program
// asks before it opens a window, and what the settings dialog's Test shows, so that a list of
// hosts pointing at standbys only is seen before users meet it.

#include <ArdentaExport.h>

#include <QString>

struct ARDENTA_EXPORT ServerRole
{
    bool postgreSql = false; // the rest is known only for PostgreSQL (reached directly)
    QString address;         // "127.0.0.1", "::1"; empty over a Unix socket
    QString socketFolder;    // the server's socket folder(s) where there is no address
    int port = 0;
    bool acceptsWrites = true; // false on a standby
};

// Opens the database and asks it. False when it cannot be opened, with the database's or the
// driver's own words (passwords masked) in *reason.
ARDENTA_EXPORT bool ReadServerRole(const QString &connection, ServerRole *role, QString *reason);

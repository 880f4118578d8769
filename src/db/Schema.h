#pragma once

#include <ArdentaExport.h>

#include <QString>

// Creates the module's tables, indexes and view in the database the connection string names,
// with the script for its engine (SQLite, PostgreSQL, or SQL Server through ODBC). A missing
// SQLite file is created. A database that already has them gets only what an earlier version
// did not make (UpgradeSchema; true, and *message says what was added, if anything); one that
// has only some of them is not touched (false). *message tells what happened or why it failed.
ARDENTA_EXPORT bool InitDatabase(const QString &connection, QString *message);

// Opens the database and looks for the module's tables and view: true when all are there;
// false with the database's own words for what went wrong, or with what is missing.
ARDENTA_EXPORT bool CheckDatabase(const QString &connection, QString *message);

#pragma once
// The history of the staff directory: Clerk_History and the triggers that fill it, on
// PostgreSQL and SQLite (other databases have none, and the module works without it). Steps of
// UpgradeSchema: each looks first and returns what it added, or a null string when the database
// had it all.

class QSqlDatabase;
class QString;
enum class SqlEngine;

// PostgreSQL: the table, its indexes, the trigger function and its triggers, from the script;
// made again when the function's body differs from the script's.
QString KeepClerkHistoryPostgreSql(QSqlDatabase &db, SqlEngine engine);

// SQLite: the same, the triggers naming each column Clerk has now; made again when Clerk's
// columns are not those the triggers name.
QString KeepClerkHistorySqlite(QSqlDatabase &db, SqlEngine engine);

#pragma once

#include "common/DBType.h"

#include <functional>
#include <memory>
#include <QString>

class QSqlDatabase;
class QSqlQuery;
class Recordset;
enum class SqlEngine;

// The original's two routines read the session's connection string; here the caller passes it
// (the windows pass gstrConnection), so that nothing below the windows reads the session. A blank
// strConnection is the original's unset gstrConnection: nothing runs and nothing is logged.

// Runs a query in a transaction of its own on the connection kept for strConnection and returns
// its rows, or an empty pointer (the original's Nothing) when the query could not run; failures
// are logged. A query whose connection or server was lost under it (a failover) runs once more
// on a fresh connection, unlogged: pass reads only.
std::shared_ptr<Recordset> GetRecordset(const QString &strConnection, const QString &strSQL);

// A query whose failure is an answer (a table a database may lack, or this login may not read):
// true when it ran. Nothing is logged; a database out of reach is false too.
bool QueryRuns(const QString &strConnection, const QString &strSQL);

// Runs one statement or a CR-separated batch in one transaction. Returns true when committed or
// when there was nothing to run, false on failure (logged). A failure to connect is thrown as
// ConnectionError, unlogged, for the caller's own handler. A write whose connection was lost is
// never run again here: its commit may have landed before the loss.
bool ExcuteSQL(const QString &strConnection, const QString &strSQL);
// The same, and *rowsChanged gets how many rows the statements changed (a database may refuse a
// row silently, as row-level security does); a driver that cannot tell fails the call.
bool ExcuteSQL(const QString &strConnection, const QString &strSQL, int *rowsChanged);

// ExcuteSQL for a batch too large to hold: next() gives one statement text after another and a
// null string at the end; each is adapted and run as it comes, all in one transaction. When
// next() gives nothing at all, nothing is opened. A failure is logged as ExcuteSQL logs a failed
// batch, its detail the text wholeText() builds, called only then. counted, when given, is told
// after each statement how many rows it changed; a driver that cannot tell fails the batch.
bool ExcuteBatch(const QString &strConnection, const std::function<QString()> &next,
                 const std::function<QString()> &wholeText,
                 const std::function<void(int rows)> &counted = {});

// ExcuteSQL for one Insert into a table whose key the database numbers (keyColumn): *newKey gets
// the key it took, read in the same transaction (PostgreSQL's Returning, SQLite's
// last_insert_rowid()); behind ODBC, for a database that is neither, the dialect says how it
// tells: Transact-SQL's SCOPE_IDENTITY() in the same batch, Jet's @@IDENTITY on the same
// connection. *newKey is 0 when the database gave none.
bool ExcuteInsert(const QString &strConnection, const QString &strSQL, const QString &keyColumn,
                  DBType dialect, qint64 *newKey);

// The database's own first line of why the last GetRecordset, ExcuteSQL or ExcuteBatch on this
// thread failed, passwords masked, for the detail of the message that says so; empty when that
// call did not fail. Each call sets it anew: take it right after the call.
QString LastDatabaseFailure();

// The services below serve schema setup, the demo database and tests; they take the connection
// string explicitly and throw instead of logging.

// Runs work on a fresh connection of its own and removes the connection afterwards, also when
// work throws. Throws ConnectionError when the string is not understood or the database
// does not open. A missing SQLite file is an error unless createFile is set.
void WithConnection(const QString &connection, const std::function<void(QSqlDatabase &)> &work,
                    bool createFile = false);

// Which dialect adaptation an open connection needs.
SqlEngine EngineOf(const QSqlDatabase &db);

// Runs one adapted statement; throws ArdentaError with the database's description on failure.
void ExecStatement(QSqlQuery &query, const QString &statement);

// Reads the rows of an executed query into a Recordset (empty, without columns, when the
// statement returned no rows at all).
std::shared_ptr<Recordset> ReadRecordset(QSqlQuery &query);

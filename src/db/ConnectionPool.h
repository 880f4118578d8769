#pragma once
// The connections GetRecordset and ExcuteSQL use: one open connection per (connection string,
// thread), kept from call to call as the original's data-access layer kept them. A kept
// connection is opened afresh when it has been idle too long, when its SQLite file was replaced
// or removed, and when a call finds it broken. No timer runs: all of this is decided when a
// connection is taken.

#include <QSqlDatabase>
#include <QString>

struct ConnectionSettings;

namespace ConnectionPool {

// The open connection for the string on this thread; *reused tells whether it served an
// earlier call. Throws ConnectionError when the string is not understood or the database does
// not open.
QSqlDatabase Take(const QString &connection, bool *reused);
// Closes this thread's connection for the string, which a call found broken.
void Discard(const QString &connection);
// Closes every kept connection of this thread: when the module's windows unload or the last
// one closes, and when the application quits.
void CloseAll();

// The operator the module works for on the string's connections, declared to PostgreSQL on
// each of them as the session setting ardenta.operator (where the staff history's triggers read
// it): on every connection opened from now on, and on a kept one before its next use. Empty:
// none. The window that is given the operator hands it down; nothing here reads the session.
void DeclareOperator(const QString &connection, const QString &operatorName);
QString DeclaredOperator(const QString &connection);

// Test seams: how many connections were opened so far, and the idle time after which a kept
// connection is opened afresh (60 seconds unless set).
int OpenCount();
void SetIdleSeconds(int seconds);

} // namespace ConnectionPool

// Adds a connection under the name and opens it; a missing SQLite file is an error unless
// createFile is set. A PostgreSQL server that refuses is asked again for up to 3 seconds. On
// failure nothing stays registered and ConnectionError is thrown.
QSqlDatabase OpenDatabase(const ConnectionSettings &settings, const QString &name,
                          bool createFile = false);

// A connection name no other caller uses.
QString UniqueConnectionName();

// The database's own words for an error, first line only.
QString DatabaseErrorText(const class QSqlError &error);

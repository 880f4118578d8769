#pragma once

#include <QString>

// Creates the module's tables, indexes and view in the database the connection string names,
// with the script for its engine (SQLite, PostgreSQL, or SQL Server through ODBC). A missing
// SQLite file is created. A database that already has them is left alone (true, and *message
// says so); one that has only some of them is not touched (false). *message tells what happened
// or why it failed.
bool InitDatabase(const QString &connection, QString *message);

// Where the demo database lives unless the caller chooses: the user's data folder.
QString DefaultDemoDatabasePath();

// Makes a SQLite demo database at sqlitePath unless that file exists already: about forty staff
// in several departments, thirty notices of the last two months from three publishers (one is
// admin), and online users on loopback addresses only. Times are relative to Now().
bool CreateDemoDatabase(const QString &sqlitePath, QString *message);

#pragma once
// Runs one of the schema scripts (a resource) in one transaction, statement by statement: all
// of it or nothing. A failure is thrown.

class QSqlDatabase;
class QString;

void RunSchemaScript(QSqlDatabase &db, const QString &resource);

// The text of a schema script; a missing one is thrown.
QString ReadSchemaScript(const QString &resource);
// Runs a script's statements inside the caller's transaction.
void RunScriptStatements(QSqlDatabase &db, const QString &script);

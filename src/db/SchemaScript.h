#pragma once
// Runs one of the schema scripts (a resource) in one transaction, statement by statement: all
// of it or nothing. A failure is thrown.

class QSqlDatabase;
class QString;

void RunSchemaScript(QSqlDatabase &db, const QString &resource);

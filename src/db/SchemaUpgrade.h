#pragma once
// What a database made by an earlier version lacks, added in place. Each engine has one ordered
// list of steps; every step looks before it changes anything, so that running the list again
// changes nothing. InitDatabase runs it on every run (after making a new schema, too), and the
// demo on opening an existing file.

#include <QString>
#include <QStringList>

class QSqlDatabase;

// Runs the steps for the connection's engine in one transaction: all of them or none; a new
// schema's script, when given, runs first in the same transaction. What was added, one phrase
// per step that changed something ("the columns UserName to OnLine"); empty when the database
// had it all. A failure is thrown.
QStringList UpgradeSchema(QSqlDatabase &db, const QString &schemaScript = QString());

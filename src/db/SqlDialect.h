#pragma once
// Rewrites the module's SQL (Transact-SQL batches, Jet date literals) for the engines that speak
// neither: SQLite and PostgreSQL. ODBC databases get the text as it is.

#include <QString>
#include <QStringList>

enum class SqlEngine { SQLite, PostgreSQL, Passthrough };

// The statements of a batch: the text is cut at carriage returns and ";" that stand outside
// string literals, quoted names and comments. Pieces holding nothing but blanks and comments are
// dropped.
QStringList SplitBatch(const QString &sql);

// The statements of a schema script: cut at ";" and at lines reading "GO", outside literals and
// comments, and never inside a trigger's BEGIN ... END; comments and empty pieces dropped.
QStringList SplitScript(const QString &script);

// One statement for the engine: Getdate() becomes the engine's local time to the second,
// #date# becomes a quoted 'yyyy-MM-dd HH:mm:ss', and on PostgreSQL Like ignores letter case
// as it does on the original servers. Literals and comments are never touched.
QString AdaptStatement(const QString &statement, SqlEngine engine);

// A whole batch ready to run statement by statement; for Passthrough the text itself.
QStringList AdaptBatch(const QString &sql, SqlEngine engine);

// The moment a #...# literal names, in the general form, or a null string when it names none.
// Accepts the module's forms (yyyy-M-d, yyyy/M/d, with or without a time) and Jet's M/d/yyyy.
QString DateLiteralText(const QString &inside);

#pragma once
// Passwords of a connection string kept out of what is written down: the log, a message.

#include <ArdentaExport.h>

#include <QString>

// The same string with every password value replaced by "***", fit for the error log. It reads
// the string exactly as ParseConnectionString does (for ODBC strings: as OdbcAttributes does).
// Key-value strings have one reading: values in quotes or braces are kept whole.
ARDENTA_EXPORT QString MaskPasswords(const QString &connection);

// A message about the connection (a driver's or the database's words) with every password the
// string holds, as written or as read, replaced by "***".
QString MaskPasswordsIn(const QString &message, const QString &connection);

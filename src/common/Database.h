#pragma once

#include <QString>
#include <memory>

class Recordset;

// Runs a query on a fresh connection made from gstrConnection and returns its rows, or an empty
// pointer (the original's Nothing) when the query could not run; failures are logged.
std::shared_ptr<Recordset> GetRecordset(const QString &strSQL);

// Runs one statement or a CR-separated batch in one transaction. Returns true when committed or
// when there was nothing to run, false on failure (logged). A failure to connect is thrown as
// ConnectionError, unlogged, for the caller's own handler.
bool ExcuteSQL(const QString &strSQL);

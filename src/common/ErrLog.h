#pragma once

#include <ArdentaExport.h>

#include <exception>
#include <functional>
#include <QString>

// Appends one entry to Errlog.txt. Never throws; when the file cannot be written it raises the
// alarm once per failure and returns.
ARDENTA_EXPORT void WriteErrLog(const QString &strDescription, const QString &strProcedure,
                                const QString &strModule, const QString &strDetail = QString());

// The one way a caught failure reaches the log: its text is the entry's description.
ARDENTA_EXPORT void LogFailure(const std::exception &error, const QString &strProcedure,
                               const QString &strModule, const QString &strDetail = QString());

// Tells the user that the log could not be written. The widgets layer installs a message box;
// without one (a program with no windows) the text goes to standard error.
using ErrLogAlarm = std::function<void(const QString &message)>;
ARDENTA_EXPORT void SetErrLogAlarm(ErrLogAlarm alarm);

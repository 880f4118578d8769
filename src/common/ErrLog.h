#pragma once

#include <QString>

// Appends one entry to Errlog.txt in the application folder. Never throws; when the file cannot be
// written it tells the user once per failure with a critical message box and returns.
void WriteErrLog(const QString &strDescription, const QString &strProcedure,
                 const QString &strModule, const QString &strDetail = QString());

// The folder that holds the library (or ARDENTA_HOME when set); Errlog.txt and
// SystemConfig.ini live there.
QString AppPath();

// Full path of a file in the application folder.
QString AppFile(const QString &name);

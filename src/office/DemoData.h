#pragma once

#include <ArdentaExport.h>

#include <QString>

// Where the demo database lives unless the caller chooses: the user's data folder.
ARDENTA_EXPORT QString DefaultDemoDatabasePath();

// Makes a SQLite demo database at sqlitePath unless that file exists already: about forty staff
// in several departments, thirty notices of the last two months from three publishers (one is
// admin), and online users on loopback addresses only. Times are relative to Now(). An existing
// file gets what this version's schema adds (InitDatabase) and keeps its data.
ARDENTA_EXPORT bool CreateDemoDatabase(const QString &sqlitePath, QString *message);

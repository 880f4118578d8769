#pragma once
// Where the module keeps its files.

#include <ArdentaExport.h>

#include <QString>

// The application folder: ARDENTA_HOME when set, else the folder that holds the library.
ARDENTA_EXPORT QString AppPath();

// Where SystemConfig.ini and Errlog.txt are: in the application folder, unless that folder is
// not writable (an installed library under /usr/lib), when each user gets his own under the XDG
// config and state folders (~/.config/ardenta, ~/.local/state/ardenta).
ARDENTA_EXPORT QString ConfigFilePath();
ARDENTA_EXPORT QString ErrLogFilePath();

// A file of the host program's own state in the user's XDG state folder
// ($XDG_STATE_HOME/ardenta, else ~/.local/state/ardenta), which is made when missing.
ARDENTA_EXPORT QString StateFilePath(const QString &name);

// The folder of installed data (language packs, schema scripts): <prefix>/share/ardenta.
ARDENTA_EXPORT QString DataPath();

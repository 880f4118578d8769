#pragma once
// The host program's settings: ardenta.conf in the XDG configuration folders, the system-wide
// ones first ($XDG_CONFIG_DIRS, else /etc/xdg), then the user's ($XDG_CONFIG_HOME, else
// ~/.config), then the command line, each above the one before. The two edit permissions count
// only from a system-wide file or the command line: a user's own file cannot raise them.
//
//   [Database]     Connection=...   Dialect=0|1
//   [User]         Language=CHS     Operator=NAME (default: the login name)
//   [Permissions]  EditStaff=false  EditNotice=false
//   [Presence]     Enabled=true     Address=IPv4 (default: the address the broadcast leaves out)
//                  RefreshSeconds=60
//   [Notice]       Verify=true      (false: every datagram pops up as it came, forged or not)
//                  CheckSeconds=30  (how often the board is looked at for notices not shown)

#include <ArdentaExport.h>

#include <QString>
#include <QStringList>

struct ARDENTA_EXPORT HostSettings
{
    QString connection;
    qint16 dialect = 0;
    QString language = QStringLiteral("CHS");
    QString operatorName; // empty: the login name
    bool editStaff = false;
    bool editNotice = false;
    bool presence = true;
    QString address;
    int presenceSeconds = 60; // how often the row is refreshed
    bool verifyNotices = true;
    int noticeCheckSeconds = 30; // how often the watch looks at the board
    QStringList problems;        // values that could not be read: "FILE: [Section] Key=value"

    QString effectiveOperator() const;
};

namespace HostConfig {

// Most important first.
ARDENTA_EXPORT QStringList SystemFiles();
ARDENTA_EXPORT QString UserFile();

// The system-wide files, then the user's.
ARDENTA_EXPORT HostSettings Read();

// Writes the user's own part (connection, dialect, language, operator, presence) to UserFile(),
// readable by the user only. A connection string holding a password is refused: passwords
// belong in ~/.pgpass or a service file, never in a settings file.
ARDENTA_EXPORT bool WriteUser(const HostSettings &settings, QString *error);

ARDENTA_EXPORT QString LoginName();

} // namespace HostConfig

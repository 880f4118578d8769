#pragma once
// The SQL text the host's notice watch sends: by notice id, never by time, since senders under
// dialect 1 write their own clock and SQLite keeps local time.

#include <QString>

enum class SqlEngine;

namespace NoticeWatchStatements {

// The newest notices, in the words of the engine the connection reaches.
QString Newest(SqlEngine engine, int count);
// The notices from this id on, oldest first; and their ids alone.
QString From(qint64 id);
QString IdsFrom(qint64 id);
QString HighestId();
// A query any engine answers at once with no rows: is the connection alive?
QString Probe();

} // namespace NoticeWatchStatements

#pragma once
// The SQL text the notice window sends: its list, one notice's text, the new notice in each
// dialect, the change and the delete of one notice, and who is online.

#include "common/DBType.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace NoticeStatements {

// Newest first, with an empty leading column for the serial numbers.
QString ListQuery();
// The list's columns of the notices with these ids, for a list that takes them in place.
QString ListRows(const QList<qint64> &ids);
// key must be a plain whole number (IsPlainWholeNumber), as for the three below.
QString ContentQuery(const QString &key);
// Jet has no server clock function: the client's time goes in as text; Transact-SQL takes the
// server's Getdate().
QString Insert(DBType dialect, const QString &publisher, const QString &content,
               const QDateTime &clientTime);
QString UpdateContent(const QString &key, const QString &content);
QString Delete(const QString &key);
// Every online user but the one at the given address.
QString OthersOnline(const QString &ownAddress);
// The publisher's notices with their text, newest first: where a received notice is found.
QString FromPublisher(const QString &publisher);
// The publisher's notices above afterId with their text, oldest first: where a new notice is
// found that a save which lost its connection may have stored all the same.
QString FromPublisherSince(const QString &publisher, qint64 afterId);

} // namespace NoticeStatements

#pragma once
// What the host program asks of the module's notice board. The calls work on the shared notice
// window of the session that the host's ShowForm set up; the host holds no window of its own.

#include <ArdentaExport.h>

#include <QList>
#include <QString>

namespace NoticeBoard {

// Notices were added, changed or deleted (by anybody, the user himself included): the open board
// reads just those and puts them in its list as they now are, without reloading it and without
// moving the user or touching his text. Nothing happens when no board is open.
ARDENTA_EXPORT void NoticesChanged(const QList<qint64> &ids);

// Brings the board to the front, loading it when it is closed, on the notice with the id (0: none
// known), or else on the publisher's newest notice whose text begins with textStart (a datagram
// carries the first characters only). False when no such notice is there or the user is busy
// with his own text, which stays as it is.
ARDENTA_EXPORT bool Open(qint64 id, const QString &publisher, const QString &textStart);

} // namespace NoticeBoard

#pragma once
// What the host program does to an open notice board when a notice arrives.

#include <ArdentaExport.h>

#include <QString>

namespace NoticeBoard {

// The open board reloads its list while the user is only viewing, keeping the current notice;
// nothing happens while he composes or has changed the text, or when no board is open.
ARDENTA_EXPORT void RefreshWhileViewing();

// The open board shows the notice with the id; false when there is none or the user is busy.
ARDENTA_EXPORT bool Show(qint64 id);

// The open board shows the publisher's newest notice whose text begins with textStart (a
// datagram carries the first characters only); false when there is none or the user is busy.
ARDENTA_EXPORT bool ShowNewestFrom(const QString &publisher, const QString &textStart);

} // namespace NoticeBoard

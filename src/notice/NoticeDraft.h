#pragma once
// A notice being composed when the session ended without asking (the desktop logging out): kept
// per database and operator in the user's state folder, beside what he was shown, readable by
// him alone, and put back the next time his board opens on that database.

#include <QString>

namespace NoticeDraft {

// Keeps the text; false with the reason when it cannot be written.
bool Keep(const QString &connection, const QString &operatorName, const QString &text,
          QString *error);
// The kept text, no longer kept; empty when there is none.
QString Take(const QString &connection, const QString &operatorName);

} // namespace NoticeDraft

#pragma once
// SIGINT and SIGTERM (Ctrl+C, a session logging out) end the event loop as a normal quit would,
// so that the program cleans up after itself.

#include <QString>

// False, with the reason, when the signals could not be routed.
bool QuitOnSignals(QString *error);

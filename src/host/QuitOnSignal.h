#pragma once
// SIGINT and SIGTERM (Ctrl+C, a session logging out) end the event loop as a normal quit would,
// so that the program cleans up after itself, with one difference: from then on no window asks
// anything (nobody is there to answer), and what a window would have asked about is kept where
// it can be (a notice being composed) instead.

#include <QString>

// False, with the reason, when the signals could not be routed.
bool QuitOnSignals(QString *error);

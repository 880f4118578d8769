#pragma once

#include <QApplication>

// Shows a cursor for the lifetime of the guard, also when the work throws.
template <Qt::CursorShape Shape> class CursorGuard
{
public:
    CursorGuard() { QApplication::setOverrideCursor(Shape); }
    ~CursorGuard() { QApplication::restoreOverrideCursor(); }
    CursorGuard(const CursorGuard &) = delete;
    CursorGuard &operator=(const CursorGuard &) = delete;
};

// The busy cursor during long work.
using BusyCursor = CursorGuard<Qt::WaitCursor>;
// The ordinary cursor while the user is asked something in the middle of long work.
using NotBusy = CursorGuard<Qt::ArrowCursor>;
